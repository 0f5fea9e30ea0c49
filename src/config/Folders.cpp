#include "config/Folders.h"

#include "config/DebugOutput.h"
#include "config/RegRead.h"
#include "config/ShellFolder.h"

#include <exception>

namespace vx::config {

namespace {

constexpr const char* WindowsFolderPath = "C:\\Windows";
constexpr const char* SystemFolderPath = "C:\\Windows\\System32";
constexpr const char* SpecialFolderTrace = "MySpecialDir";
constexpr const char* ShellFoldersKey =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";
constexpr const char* CurrentVersionKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
constexpr const char* ProgramFilesDirValue = "ProgramFilesDir";
constexpr const char* FavoritesValue = "Favorites";
constexpr const char* TemplatesValue = "Templates";
constexpr const char* CommonFavoritesValue = "Common Favorites";
constexpr const char* CommonTemplatesValue = "Common Templates";
constexpr const char* CommonDocumentsValue = "Common Documents";
constexpr const char* ControlPanelClassKey =
    "Software\\CLASSES\\CLSID\\{21EC2020-3AEA-1069-A2DD-08002B30309D}\\";
constexpr const char* ControlPanelDefaultName = "Systemsteuerung";
constexpr const char* ControlPanelFallbackFolder = "C:\\Windows\\Systemsteuerung";

// The value of the Shell Folders key below `root` in the 32-bit view, or empty.
std::string ShellFoldersValue(win::HKEY root, const char* valueName) {
    std::string path;
    RegReadString(root, ShellFoldersKey, valueName, 32, path);
    return path;
}

} // namespace

std::string GetWindowsFolder() {
    return WindowsFolderPath;
}

std::string GetSystemFolder() {
    return SystemFolderPath;
}

std::string GetSpecialFolder(int csidl) {
    OutputDebugString(SpecialFolderTrace);
    std::string path = GetShellFolder(csidl);
    if (!path.empty()) {
        return path;
    }
    switch (csidl) {
    case CSIDL_FAVORITES:
        return ShellFoldersValue(win::HKEY_CURRENT_USER, FavoritesValue);
    case CSIDL_TEMPLATES:
        return ShellFoldersValue(win::HKEY_CURRENT_USER, TemplatesValue);
    case CSIDL_COMMON_FAVORITES:
        return ShellFoldersValue(win::HKEY_LOCAL_MACHINE, CommonFavoritesValue);
    case CSIDL_COMMON_APPDATA:
        return GetShellFolder(CSIDL_APPDATA);
    case CSIDL_WINDOWS:
        return GetWindowsFolder();
    case CSIDL_SYSTEM:
        return GetSystemFolder();
    case CSIDL_PROGRAM_FILES:
        RegReadString(win::HKEY_LOCAL_MACHINE, CurrentVersionKey, ProgramFilesDirValue, 32, path);
        return path;
    case CSIDL_COMMON_TEMPLATES:
        return ShellFoldersValue(win::HKEY_LOCAL_MACHINE, CommonTemplatesValue);
    case CSIDL_COMMON_DOCUMENTS:
        return ShellFoldersValue(win::HKEY_LOCAL_MACHINE, CommonDocumentsValue);
    default:
        return {};
    }
}

std::string GetControlPanelFolder(const std::string& prefix, const std::string& windowsFolder) {
    try {
        const std::string key = "\\" + prefix + ControlPanelClassKey;
        std::string name;
        RegReadString(win::HKEY_LOCAL_MACHINE, key, "", 32, name);
        if (name.empty()) {
            RegReadString(win::HKEY_LOCAL_MACHINE, key, "", 64, name);
        }
        if (name.empty()) {
            name = ControlPanelDefaultName;
        }
        return windowsFolder + "\\" + name;
    } catch (const std::exception&) {
        return ControlPanelFallbackFolder;
    }
}

} // namespace vx::config
