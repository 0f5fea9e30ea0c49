#include "config/PathPlaceholders.h"

#include "config/Folders.h"
#include "config/RegRead.h"
#include "platform/Drives.h"
#include "platform/Exception.h"

#include <algorithm>
#include <cctype>

namespace vx::config {

namespace {

constexpr const char* ShellFolders =
    "Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";
constexpr const char* UserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\\";
constexpr const char* CurrentVersion = "Microsoft\\Windows\\CurrentVersion\\";
constexpr const char* NtCurrentVersion = "Microsoft\\Windows NT\\CurrentVersion\\";
constexpr const char* QuickLaunch = "\\Microsoft\\Internet Explorer\\Quick Launch";
constexpr const char* FixedDrives = "<$FIXEDDRIVES>";
constexpr const char* SysDir = "<$SYSDIR>";
constexpr std::int32_t CsidlAppData = 26;
constexpr std::int32_t CsidlCommonAppData = 35;

struct TPlaceholders {
    TPlaceholderList List;
    TPlaceholderIndex Index;
    bool Built = false;
};

TPlaceholders& Tables() {
    static TPlaceholders tables;
    return tables;
}

std::string PlaceholderName(const char* name) {
    return std::string("<$") + name + ">";
}

// The first of `lines` (name, value pairs) with the name `name`, without regard to case.
template <typename TLines>
auto FindNamed(TLines& lines, const std::string& name) {
    return std::find_if(lines.begin(), lines.end(),
                        [&name](const auto& line) { return win::SameText(line.first, name); });
}

// The folder part of a path: up to and including its last backslash or colon.
std::string FolderPart(const std::string& path) {
    const std::size_t at = path.find_last_of("\\:");
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

// Every occurrence of `from`, in any case, replaced by `to`.
std::string ReplaceFolded(const std::string& text, const std::string& from, const std::string& to) {
    const std::string folded = win::FoldCase(text);
    const std::string foldedFrom = win::FoldCase(from);
    std::string out;
    std::size_t start = 0;
    for (std::size_t at = folded.find(foldedFrom); at != std::string::npos;
         at = folded.find(foldedFrom, start)) {
        out.append(text, start, at - start).append(to);
        start = at + from.size();
    }
    return out.append(text, start);
}

void AppendFolder(TPlaceholderList& list, const std::string& name, const std::string& folder) {
    list.Append(name, NormalizePath(folder));
}

// Step 1: the drives, the fixed lines and the shell folders.
void AddFixedLines(TPlaceholderList& list, TPlaceholderIndex& index, std::uint8_t bits) {
    if (bits == 32) {
        AddFixedDrives(index);
    }
    list.Append("<$LOCALSETTINGS>", "");
    AppendFolder(list, "<$WINDIR2>", GetWindowsFolder());
    AppendFolder(list, "<$SYSDIR2>", GetSystemFolder());
    AppendFolder(list, "<$QUICKLAUNCH>", GetSpecialFolder(CsidlAppData) + QuickLaunch);
    AppendFolder(list, "<$COMMONQUICKLAUNCH>", GetSpecialFolder(CsidlCommonAppData) + QuickLaunch);
    for (const TPathSolveConfig& row : PathSolveConfigs()) {
        if (row.CSIDL == -1) {
            continue;
        }
        try {
            AppendFolder(list, PlaceholderName(row.Name), GetSpecialFolder(row.CSIDL));
        } catch (const vx::Exception&) {
            // this folder could not be read: its row is left out
        }
    }
}

// Steps 5 to 7: the system drive and the profile folders derived from the desktop.
void DeriveProfiles(TPlaceholderList& list) {
    list.Set("<$SYSDRIVE>", list.Read("<$WINDIR>").substr(0, 2));
    if (list.Read("<$PROFILE>").empty()) {
        const std::string folder = FolderPart(list.Read("<$DESKTOP>"));
        if (!folder.empty()) {
            list.Set("<$PROFILE>", folder.substr(0, folder.size() - 1));
        }
    }
    if (list.Read("<$PROFILES>").empty()) {
        const std::string folder(win::Trim(FolderPart(list.Read("<$PROFILE>"))));
        if (!folder.empty()) {
            list.Set("<$PROFILES>", folder.substr(0, folder.size() - 1));
        }
    }
}

// Step 8: the Windows, system and temporary folders from the setup keys.
void ReadSetupFolders(TPlaceholderList& list, const std::string& prefix,
                      const std::string& software, std::uint8_t bits) {
    const win::HKEY root = win::HKEY_LOCAL_MACHINE;
    const std::string own = "\\" + prefix + "Software\\";
    const std::string branch = "\\" + software;
    const auto update = [&](const char* placeholder, const std::string& key, const char* value,
                            std::uint8_t view, const std::string& suffix) {
        UpdatePlaceholderFromRegistry(list, placeholder, root, key, value, view, false, suffix, "");
    };
    update("<$WINDIR>", own + NtCurrentVersion, "SystemRoot", 32, "");
    update("<$WINDIR>", own + NtCurrentVersion, "PathName", 32, "");
    update(SysDir, own + CurrentVersion + "Setup\\", "WinDir", 32, "");
    update("<$WINDIR>", own + CurrentVersion, "SystemRoot", 32, "");
    CopyPlaceholderIfEmpty(list, "<$WINDIR2>", "<$WINDIR>");
    update("<$TEMP>", branch + NtCurrentVersion, "SystemRoot", bits, "\\Temp");
    update("<$TEMP>", branch + NtCurrentVersion, "PathName", bits, "\\Temp");
    update("<$TEMP>", branch + CurrentVersion, "SystemRoot", bits, "\\Temp");
    update(SysDir, own + CurrentVersion + "Setup\\", "SysDir", 32, "");
    update(SysDir, own + CurrentVersion + "Installer\\", "InstallerLocation", 32, "");
    CopyPlaceholderIfEmpty(list, "<$SYSDIR2>", SysDir);
    list.Set("<$SYSCPLDIR>", GetControlPanelFolder(prefix, list.Read("<$WINDIR>")));
    CopyPlaceholderIfEmpty(list, "<$CONTROLS>", "<$SYSCPLDIR>");
}

} // namespace

std::string TPlaceholderList::Read(const std::string& name) const {
    const auto line = FindNamed(FLines, name);
    return line == FLines.end() ? std::string() : line->second;
}

void TPlaceholderList::Set(const std::string& name, const std::string& value) {
    const auto line = FindNamed(FLines, name);
    if (value.empty()) {
        if (line != FLines.end()) {
            FLines.erase(line);
        }
    } else if (line != FLines.end()) {
        line->second = value;
    } else {
        Append(name, value);
    }
}

void TPlaceholderList::Append(const std::string& name, const std::string& value) {
    FLines.emplace_back(name, value);
}

TPlaceholderSet& TPlaceholderIndex::Entry(const std::string& name) {
    const auto entry = FindNamed(FEntries, name);
    if (entry != FEntries.end()) {
        return entry->second;
    }
    return FEntries.emplace_back(name, TPlaceholderSet{}).second;
}

const TPlaceholderSet* TPlaceholderIndex::Find(const std::string& name) const {
    const auto entry = FindNamed(FEntries, name);
    return entry == FEntries.end() ? nullptr : &entry->second;
}

const std::vector<TPathSolveConfig>& PathSolveConfigs() {
    static const std::vector<TPathSolveConfig> rows{
        {-1, "FIXEDDRIVES"},
        {-1, "SYSDRIVE"},
        {36, "WINDIR"},
        {-1, "WINDIR2"},
        {37, "SYSDIR"},
        {-1, "SYSDIR2"},
        {20, "FONTS"},
        {3, "CONTROLS"},
        {-1, "SYSCPLDIR"},
        {-1, "PATH"},
        {38, "PROGRAMFILES"},
        {43, "COMMONPROGRAMFILES"},
        {62, "PROFILES"},
        {40, "PROFILE"},
        {26, "APPDATA"},
        {-1, "QUICKLAUNCH"},
        {0, "ADESKTOP"},
        {16, "DESKTOP"},
        {6, "FAVORITES"},
        {-1, "LOCALSETTINGS"},
        {28, "LOCALAPPDATA"},
        {5, "PERSONAL"},
        {12, "MYDOCUMENTS"},
        {13, "MYMUSIC"},
        {14, "MYVIDEO"},
        {19, "NETHOOD"},
        {27, "PRINTHOOD"},
        {8, "RECENT"},
        {9, "SENDTO"},
        {11, "STARTMENU"},
        {2, "PROGRAMS"},
        {29, "ALTSTARTUP"},
        {7, "STARTUP"},
        {21, "TEMPLATES"},
        {35, "COMMONAPPDATA"},
        {-1, "COMMONQUICKLAUNCH"},
        {25, "COMMONDESKTOP"},
        {46, "COMMONDOCUMENTS"},
        {46, "COMMONDOCUMENTS"},
        {53, "COMMONMUSIC"},
        {55, "COMMONVIDEO"},
        {31, "COMMONFAVORITES"},
        {22, "COMMONSTARTMENU"},
        {23, "COMMONPROGRAMS"},
        {30, "COMMONALTSTARTUP"},
        {24, "COMMONSTARTUP"},
        {45, "COMMONTEMPLATES"},
    };
    return rows;
}

const std::vector<TPathRegistryUpdaterRecord>& PathRegistryUpdaters() {
    const win::HKEY machine = win::HKEY_LOCAL_MACHINE;
    const win::HKEY user = win::HKEY_CURRENT_USER;
    static const std::vector<TPathRegistryUpdaterRecord> rows{
        {"<$COMMONDESKTOP>", machine, ShellFolders, "Common Desktop", false, false, false, "", ""},
        {"<$COMMONAPPDATA>", machine, ShellFolders, "Common AppData", false, false, false, "", ""},
        {"<$COMMONSTARTUP>", machine, ShellFolders, "Common Startup", false, false, false, "", ""},
        {"<$COMMONSTARTMENU>", machine, ShellFolders, "Common Start Menu", false, false, false, "",
         ""},
        {"<$COMMONPROGRAMS>", machine, ShellFolders, "Common Programs", false, false, false, "",
         ""},
        {"<$COMMONFAVORITES>", machine, ShellFolders, "Common Favorites", false, false, false, "",
         ""},
        {"<$COMMONTEMPLATES>", machine, ShellFolders, "Common Templates", false, false, false, "",
         ""},
        {"<$COMMONDOCUMENTS>", machine, ShellFolders, "Common Documents", false, false, false, "",
         ""},
        {"<$COMMONPROGRAMFILES>", machine, CurrentVersion, "CommonFilesDir", false, false, true, "",
         ""},
        {"<$PROGRAMFILES>", machine, CurrentVersion, "ProgramFilesDir", false, false, true, "", ""},
        {"<$DESKTOP>", user, UserShellFolders, "Desktop", true, true, false, "", ""},
        {"<$APPDATA>", user, UserShellFolders, "AppData", true, true, false, "", ""},
        {"<$STARTUP>", user, UserShellFolders, "Startup", true, true, false, "", ""},
        {"<$STARTMENU>", user, UserShellFolders, "Start Menu", true, true, false, "", ""},
        {"<$PROGRAMS>", user, UserShellFolders, "Programs", true, true, false, "", ""},
        {"<$FAVORITES>", user, UserShellFolders, "Favorites", true, true, false, "", ""},
        {"<$TEMPLATES>", user, UserShellFolders, "Templates", true, true, false, "", ""},
        {"<$PERSONAL>", user, UserShellFolders, "Personal", true, true, false, "", ""},
        {"<$LOCALAPPDATA>", user, UserShellFolders, "Local AppData", true, true, false, "", ""},
        {"<$LOCALSETTINGS>", user, UserShellFolders, "Local Settings", true, true, false, "", ""},
        {"<$PATH>", user, "Environment\\", "PATH", false, true, false, "", ";"},
    };
    return rows;
}

const std::vector<TTemplateCopyRecord>& TemplateCopies() {
    static const std::vector<TTemplateCopyRecord> rows{
        {"<$COMMONALTSTARTUP>", "<$COMMONSTARTUP>"},
        {"<$COMMONSTARTMENU>", "<$STARTMENU>"},
        {"<$COMMONPROGRAMS>", "<$PROGRAMS>"},
        {"<$COMMONFAVORITES>", "<$FAVORITES>"},
        {"<$ALTSTARTUP>", "<$STARTUP>"},
    };
    return rows;
}

std::string NormalizePath(std::string path) {
    while (path.find("\\\\") != std::string::npos) {
        std::string single;
        single.reserve(path.size());
        for (std::size_t i = 0; i < path.size(); ++i) {
            single += path[i];
            if (path[i] == '\\' && i + 1 < path.size() && path[i + 1] == '\\') {
                ++i; // a pair becomes one
            }
        }
        path = std::move(single);
    }
    if (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    return path;
}

void UpdatePlaceholderFromRegistry(TPlaceholderList& list, const std::string& placeholder,
                                   win::HKEY rootKey, const std::string& key,
                                   const std::string& valueName, std::uint8_t bits, bool overwrite,
                                   const std::string& suffix, const std::string& cut) {
    if (!list.Read(placeholder).empty() && !overwrite) {
        return;
    }
    std::string value;
    if (!RegReadString(rootKey, key, valueName, bits, value)) {
        return;
    }
    if (!cut.empty()) {
        if (const std::size_t at = value.find(cut); at != std::string::npos) {
            value.erase(at);
            if (!value.empty() && value.back() == '\\') {
                value.pop_back();
            }
        }
    }
    list.Set(placeholder, NormalizePath(value + suffix));
}

void CopyPlaceholderIfEmpty(TPlaceholderList& list, const std::string& target,
                            const std::string& source) {
    if (list.Read(target).empty()) {
        list.Set(target, NormalizePath(list.Read(source)));
    }
}

void AddFixedDrives(TPlaceholderIndex& index) {
    TPlaceholderSet& drives = index.Entry(FixedDrives);
    const win::DWORD present = win::GetLogicalDrives();
    for (char letter = 'C'; letter <= 'W'; ++letter) {
        const std::string drive(1, letter);
        if ((present & (win::DWORD{1} << (letter - 'A'))) != 0 &&
            win::GetDriveTypeA(drive + ":\\") == win::DRIVE_FIXED) {
            drives.insert(drive + ":");
        }
    }
}

void BuildPathPlaceholders(TPlaceholderList& list, TPlaceholderIndex& index,
                           const std::string& prefix, std::uint8_t bits) {
    if (prefix.empty()) {
        AddFixedLines(list, index, bits);
    }
    std::string software = prefix + "Software\\";
    if (bits == 32 &&
        RegKeyExists(win::HKEY_LOCAL_MACHINE, "\\" + prefix + "Software\\Wow6432Node\\", 0)) {
        software = prefix + "Software\\Wow6432Node\\";
    }
    for (const TPathRegistryUpdaterRecord& row : PathRegistryUpdaters()) {
        if (row.Only32 && bits != 32) {
            continue;
        }
        const std::string key = "\\" + (row.FromRoot ? prefix : software) + row.Key;
        UpdatePlaceholderFromRegistry(list, row.Placeholder, row.RootKey, key, row.ValueName,
                                      row.Only32 ? 32 : bits, row.Overwrite, row.Suffix, row.Cut);
    }
    for (const TTemplateCopyRecord& row : TemplateCopies()) {
        CopyPlaceholderIfEmpty(list, row.Target, row.Source);
    }
    DeriveProfiles(list);
    ReadSetupFolders(list, prefix, software, bits);
}

void MergePathPlaceholders(const TPlaceholderList& list, TPlaceholderIndex& index) {
    for (const auto& [name, value] : list.Lines()) {
        TPlaceholderSet& values = index.Entry(name);
        values.insert(value);
        if (name == SysDir) {
            values.insert(ReplaceFolded(value, "\\system32", "\\SysWOW64"));
        }
    }
}

void CreatePathPlaceholders() {
    TPlaceholders& tables = Tables();
    if (tables.Built) {
        return;
    }
    tables.Built = true;
    BuildPathPlaceholders(tables.List, tables.Index, "", 64);
    MergePathPlaceholders(tables.List, tables.Index);
    BuildPathPlaceholders(tables.List, tables.Index, "", 32);
    MergePathPlaceholders(tables.List, tables.Index);
}

void FreePathPlaceholders() {
    TPlaceholders& tables = Tables();
    tables.Index.Clear();
    tables.List.Clear();
    tables.Built = false;
}

const TPlaceholderList& PathPlaceholders() {
    return Tables().List;
}

const TPlaceholderIndex& PathPlaceholderIndex() {
    return Tables().Index;
}

} // namespace vx::config
