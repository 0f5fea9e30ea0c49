#include "config/Folders.h"

#include "RegFixture.h"
#include "config/DebugOutput.h"
#include "config/ShellFolder.h"
#include "platform/Prefix.h"
#include "platform/RegistryStore.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::config {
namespace {

using vx::test::TRegFixture;

const std::string ProfileList =
    std::string("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\"
                "ProfileList\\") +
    win::TRegistryStore::CurrentUserSid +
    "]\r\n\"ProfileImagePath\"=\"C:\\\\Users\\\\Ada\"\r\n\r\n";

const std::string MachineShellFolders =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
    "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
    "Folders]\r\n"
    "\"Common Favorites\"=\"C:\\\\Reg\\\\CommonFavorites\"\r\n"
    "\"Common Templates\"=\"C:\\\\Reg\\\\CommonTemplates\"\r\n"
    "\"Common Documents\"=\"C:\\\\Reg\\\\CommonDocuments\"\r\n\r\n";

const std::string UserShellFolders =
    "[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
    "Folders]\r\n"
    "\"Favorites\"=\"C:\\\\Reg\\\\Favorites\"\r\n"
    "\"Templates\"=\"C:\\\\Reg\\\\Templates\"\r\n";

TEST(Folders, WindowsAndSystemFolders) {
    EXPECT_EQ(GetWindowsFolder(), "C:\\Windows");
    EXPECT_EQ(GetSystemFolder(), "C:\\Windows\\System32");
}

TEST(ShellFolders, AnswersOnlyFoldersThatExistInThePrefix) {
    TRegFixture prefix(ProfileList);
    const struct {
        int Csidl;
        const char* Path;
    } folders[] = {
        {CSIDL_DESKTOP, "C:\\Users\\Ada\\Desktop"},
        {CSIDL_DESKTOPDIRECTORY, "C:\\Users\\Ada\\Desktop"},
        {CSIDL_PERSONAL, "C:\\Users\\Ada\\Documents"},
        {CSIDL_APPDATA, "C:\\Users\\Ada\\AppData\\Roaming"},
        {CSIDL_LOCAL_APPDATA, "C:\\Users\\Ada\\AppData\\Local"},
        {CSIDL_STARTUP, "C:\\Users\\Ada\\AppData\\Roaming\\Microsoft\\Windows\\Start "
                        "Menu\\Programs\\Startup"},
        {CSIDL_PROFILE, "C:\\Users\\Ada"},
        {CSIDL_PROFILES, "C:\\Users"},
        {CSIDL_WINDOWS, "C:\\Windows"},
        {CSIDL_SYSTEM, "C:\\Windows\\System32"},
        {CSIDL_COMMON_APPDATA, "C:\\ProgramData"},
        {CSIDL_COMMON_DOCUMENTS, "C:\\Users\\Public\\Documents"},
    };
    for (const auto& f : folders) {
        EXPECT_EQ(GetShellFolder(f.Csidl), "") << f.Path << " before it exists";
    }
    for (const auto& f : folders) {
        prefix.MakeFolder(f.Path);
    }
    for (const auto& f : folders) {
        EXPECT_EQ(GetShellFolder(f.Csidl), f.Path);
    }
    for (const int virtualOrGone :
         {CSIDL_CONTROLS, CSIDL_PROGRAM_FILES, CSIDL_ALTSTARTUP, CSIDL_COMMON_FAVORITES, 999, -1}) {
        EXPECT_EQ(GetShellFolder(virtualOrGone), "") << virtualOrGone;
    }
}

TEST(ShellFolders, NoProfileNoUserFolders) {
    TRegFixture prefix;
    prefix.MakeFolder("C:\\Users\\Ada\\Desktop");
    prefix.MakeFolder("C:\\Windows");
    EXPECT_EQ(GetShellFolder(CSIDL_DESKTOP), "");
    EXPECT_EQ(GetShellFolder(CSIDL_PROFILES), "");
    EXPECT_EQ(GetShellFolder(CSIDL_WINDOWS), "C:\\Windows");
}

TEST(ShellFolders, NoPrefixNoAnswer) {
    TRegFixture prefix(ProfileList);
    prefix.MakeFolder("C:\\Users\\Ada");
    win::SetCurrentPrefixDir({});
    EXPECT_EQ(GetShellFolder(CSIDL_PROFILE), "");
}

class SpecialFolders : public ::testing::Test {
protected:
    SpecialFolders() {
        FPrevious =
            SetDebugOutputSink([this](std::string_view text) { FTrace.emplace_back(text); });
    }
    ~SpecialFolders() override { SetDebugOutputSink(FPrevious); }

    TDebugOutputSink FPrevious;
    std::vector<std::string> FTrace;
};

TEST_F(SpecialFolders, FallBackWhenTheShellHasNoAnswer) {
    TRegFixture prefix(ProfileList + MachineShellFolders, UserShellFolders);
    prefix.MakeFolder("C:\\Users\\Ada\\AppData\\Roaming");
    const struct {
        int Csidl;
        const char* Path;
    } cases[] = {
        {CSIDL_FAVORITES, "C:\\Reg\\Favorites"},
        {CSIDL_TEMPLATES, "C:\\Reg\\Templates"},
        {CSIDL_COMMON_FAVORITES, "C:\\Reg\\CommonFavorites"},
        {CSIDL_COMMON_APPDATA, "C:\\Users\\Ada\\AppData\\Roaming"},
        {CSIDL_WINDOWS, "C:\\Windows"},
        {CSIDL_SYSTEM, "C:\\Windows\\System32"},
        {CSIDL_PROGRAM_FILES, "C:\\Program Files"},
        {CSIDL_COMMON_TEMPLATES, "C:\\Reg\\CommonTemplates"},
        {CSIDL_COMMON_DOCUMENTS, "C:\\Reg\\CommonDocuments"},
        {CSIDL_DESKTOP, ""},
        {CSIDL_MYMUSIC, ""},
        {CSIDL_CONTROLS, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetSpecialFolder(c.Csidl), c.Path) << "CSIDL " << c.Csidl;
    }
    EXPECT_EQ(FTrace.size(), std::size(cases));
    for (const std::string& line : FTrace) {
        EXPECT_EQ(line, "MySpecialDir");
    }
}

TEST_F(SpecialFolders, TheShellAnswerComesFirst) {
    TRegFixture prefix(ProfileList + MachineShellFolders, UserShellFolders);
    prefix.MakeFolder("C:\\Users\\Ada\\Favorites");
    prefix.MakeFolder("C:\\ProgramData");
    EXPECT_EQ(GetSpecialFolder(CSIDL_FAVORITES), "C:\\Users\\Ada\\Favorites");
    EXPECT_EQ(GetSpecialFolder(CSIDL_COMMON_APPDATA), "C:\\ProgramData");
}

TEST_F(SpecialFolders, ProgramFilesFollowsTheProcessesOwnView) {
    TRegFixture prefix(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
        "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion]\r\n"
        "\"ProgramFilesDir\"=\"C:\\\\Program Files (x86)\"\r\n");
    EXPECT_EQ(GetSpecialFolder(CSIDL_PROGRAM_FILES), "C:\\Program Files (x86)");
}

TEST(ControlPanelFolder, NameFromTheClassKeyOrTheDefault) {
    const std::string classKey = "[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\"
                                 "{21EC2020-3AEA-1069-A2DD-08002B30309D}]\r\n";
    {
        TRegFixture prefix(classKey + "@=\"Control Panel\"\r\n");
        EXPECT_EQ(GetControlPanelFolder("", "C:\\Windows"), "C:\\Windows\\Control Panel");
        EXPECT_EQ(GetControlPanelFolder("", "D:\\WinNT"), "D:\\WinNT\\Control Panel");
    }
    {
        TRegFixture prefix(classKey + "\"Other\"=\"x\"\r\n");
        EXPECT_EQ(GetControlPanelFolder("", "C:\\Windows"), "C:\\Windows\\Systemsteuerung");
    }
    {
        TRegFixture prefix(classKey + "@=\"\"\r\n");
        EXPECT_EQ(GetControlPanelFolder("", "C:\\Windows"), "C:\\Windows\\Systemsteuerung");
    }
    {
        TRegFixture prefix(classKey + "@=dword:00000001\r\n");
        EXPECT_EQ(GetControlPanelFolder("", "C:\\Windows"), "C:\\Windows\\Systemsteuerung");
    }
}

} // namespace
} // namespace vx::config
