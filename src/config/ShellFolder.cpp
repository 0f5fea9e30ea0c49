#include "config/ShellFolder.h"

#include "config/Folders.h"
#include "config/RegRead.h"
#include "platform/Prefix.h"
#include "platform/RegistryStore.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace vx::config {

namespace {

constexpr const char* ProfileListKey =
    "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
constexpr const char* ProfileImagePathValue = "ProfileImagePath";
constexpr const char* ProgramDataFolder = "C:\\ProgramData";
constexpr const char* PublicFolder = "C:\\Users\\Public";

enum class TFolderBase { Profile, ProfilesRoot, Windows, ProgramData, Public };

struct TShellFolderRow {
    int Csidl;
    TFolderBase Base;
    const char* Relative; // below the base; empty for the base itself
};

// The answers of a Windows 10 shell for a 32-bit process.
const TShellFolderRow ShellFolderTable[] = {
    {CSIDL_DESKTOP, TFolderBase::Profile, "Desktop"},
    {CSIDL_DESKTOPDIRECTORY, TFolderBase::Profile, "Desktop"},
    {CSIDL_PERSONAL, TFolderBase::Profile, "Documents"},
    {CSIDL_MYDOCUMENTS, TFolderBase::Profile, "Documents"},
    {CSIDL_MYMUSIC, TFolderBase::Profile, "Music"},
    {CSIDL_MYVIDEO, TFolderBase::Profile, "Videos"},
    {CSIDL_FAVORITES, TFolderBase::Profile, "Favorites"},
    {CSIDL_APPDATA, TFolderBase::Profile, "AppData\\Roaming"},
    {CSIDL_LOCAL_APPDATA, TFolderBase::Profile, "AppData\\Local"},
    {CSIDL_PROFILE, TFolderBase::Profile, ""},
    {CSIDL_PROFILES, TFolderBase::ProfilesRoot, ""},
    {CSIDL_STARTMENU, TFolderBase::Profile, "AppData\\Roaming\\Microsoft\\Windows\\Start Menu"},
    {CSIDL_PROGRAMS, TFolderBase::Profile,
     "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
    {CSIDL_STARTUP, TFolderBase::Profile,
     "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {CSIDL_RECENT, TFolderBase::Profile, "AppData\\Roaming\\Microsoft\\Windows\\Recent"},
    {CSIDL_SENDTO, TFolderBase::Profile, "AppData\\Roaming\\Microsoft\\Windows\\SendTo"},
    {CSIDL_NETHOOD, TFolderBase::Profile,
     "AppData\\Roaming\\Microsoft\\Windows\\Network Shortcuts"},
    {CSIDL_PRINTHOOD, TFolderBase::Profile,
     "AppData\\Roaming\\Microsoft\\Windows\\Printer Shortcuts"},
    {CSIDL_TEMPLATES, TFolderBase::Profile, "AppData\\Roaming\\Microsoft\\Windows\\Templates"},
    {CSIDL_WINDOWS, TFolderBase::Windows, ""},
    {CSIDL_SYSTEM, TFolderBase::Windows, "System32"},
    {CSIDL_FONTS, TFolderBase::Windows, "Fonts"},
    {CSIDL_COMMON_APPDATA, TFolderBase::ProgramData, ""},
    {CSIDL_COMMON_STARTMENU, TFolderBase::ProgramData, "Microsoft\\Windows\\Start Menu"},
    {CSIDL_COMMON_PROGRAMS, TFolderBase::ProgramData, "Microsoft\\Windows\\Start Menu\\Programs"},
    {CSIDL_COMMON_STARTUP, TFolderBase::ProgramData,
     "Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {CSIDL_COMMON_TEMPLATES, TFolderBase::ProgramData, "Microsoft\\Windows\\Templates"},
    {CSIDL_COMMON_DESKTOPDIRECTORY, TFolderBase::Public, "Desktop"},
    {CSIDL_COMMON_DOCUMENTS, TFolderBase::Public, "Documents"},
    {CSIDL_COMMON_MUSIC, TFolderBase::Public, "Music"},
    {CSIDL_COMMON_VIDEO, TFolderBase::Public, "Videos"},
};

// The current user's profile folder as the machine's registry names it, or empty.
std::string ProfileFolder() {
    std::string profile;
    RegReadString(win::HKEY_LOCAL_MACHINE,
                  std::string(ProfileListKey) + win::TRegistryStore::CurrentUserSid,
                  ProfileImagePathValue, 64, profile);
    while (!profile.empty() && profile.back() == '\\') {
        profile.pop_back();
    }
    return profile;
}

std::string BaseFolder(TFolderBase base) {
    switch (base) {
    case TFolderBase::Profile:
        return ProfileFolder();
    case TFolderBase::ProfilesRoot: {
        const std::string profile = ProfileFolder();
        const auto slash = profile.find_last_of('\\');
        return slash == std::string::npos ? std::string() : profile.substr(0, slash);
    }
    case TFolderBase::Windows:
        return GetWindowsFolder();
    case TFolderBase::ProgramData:
        return ProgramDataFolder;
    case TFolderBase::Public:
        return PublicFolder;
    }
    return {};
}

bool FolderExistsInPrefix(const std::string& windowsPath) {
    const std::filesystem::path prefix = win::CurrentPrefixDir();
    if (prefix.empty()) {
        return false;
    }
    const auto mapped = win::MapWindowsPath(prefix, windowsPath);
    std::error_code error;
    return mapped && std::filesystem::is_directory(*mapped, error);
}

std::string ResolveShellFolder(int csidl) {
    for (const TShellFolderRow& row : ShellFolderTable) {
        if (row.Csidl != csidl) {
            continue;
        }
        std::string path = BaseFolder(row.Base);
        if (path.empty()) {
            return {};
        }
        if (*row.Relative != '\0') {
            path += '\\';
            path += row.Relative;
        }
        return FolderExistsInPrefix(path) ? path : std::string();
    }
    return {};
}

} // namespace

std::string GetShellFolder(int csidl) {
    try {
        return ResolveShellFolder(csidl);
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace vx::config
