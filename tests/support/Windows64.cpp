#include "support/Windows64.h"

#include "platform/Exception.h"

#include <fstream>

namespace vx::test {

namespace {

constexpr const char* Wow64Keys = R"REG(
[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion]
"ProgramFilesDir (x86)"="C:\\Program Files (x86)"
"CommonFilesDir (x86)"="C:\\Program Files (x86)\\Common Files"
"ProgramW6432Dir"="C:\\Program Files"
"CommonW6432Dir"="C:\\Program Files\\Common Files"

[HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion]
"ProgramFilesDir"="C:\\Program Files (x86)"
"CommonFilesDir"="C:\\Program Files (x86)\\Common Files"
"ProgramFilesDir (x86)"="C:\\Program Files (x86)"
"CommonFilesDir (x86)"="C:\\Program Files (x86)\\Common Files"
"ProgramW6432Dir"="C:\\Program Files"
"CommonW6432Dir"="C:\\Program Files\\Common Files"
"ProductId"="00331-10000-00001-AA742"

[HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders]
"Common AppData"="C:\\ProgramData"
"Common Desktop"="C:\\Users\\Public\\Desktop"
"Common Documents"="C:\\Users\\Public\\Documents"
"Common Programs"="C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"
"Common Start Menu"="C:\\ProgramData\\Microsoft\\Windows\\Start Menu"
"Common Startup"="C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"
"Common Templates"="C:\\ProgramData\\Microsoft\\Windows\\Templates"

[HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\Microsoft\Windows NT\CurrentVersion]
"SystemRoot"="C:\\Windows"
"PathName"="C:\\Windows"
"ProductName"="Windows 10 Pro"
"CurrentBuildNumber"="19045"
)REG";

} // namespace

void MakeWindows64(const std::filesystem::path& prefixDir) {
    std::ofstream hive(prefixDir / "system.reg", std::ios::binary | std::ios::app);
    for (const char* c = Wow64Keys; *c != '\0'; ++c) {
        if (*c == '\n') {
            hive << '\r';
        }
        hive << *c;
    }
    hive.close();
    std::error_code error;
    std::filesystem::create_directories(prefixDir / "drive_c" / "Program Files (x86)", error);
    std::filesystem::create_directories(prefixDir / "drive_c" / "Windows" / "SysWOW64", error);
    if (!hive || error) {
        throw Exception("cannot make " + prefixDir.string() + " a 64-bit machine");
    }
}

} // namespace vx::test
