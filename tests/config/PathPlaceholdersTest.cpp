#include "config/PathPlaceholders.h"

#include "support/TempPrefix.h"
#include "support/Windows64.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::config {
namespace {

TEST(NormalizePath, SingleBackslashesAndNoneAtTheEnd) {
    struct TCase {
        const char* Path;
        const char* Normal;
    };
    const std::vector<TCase> cases{
        {"C:\\\\Windows\\\\\\\\System32\\", "C:\\Windows\\System32"},
        {"\\\\\\", ""}, // three become one, which is then the trailing one
        {"\\\\server\\share", "\\server\\share"},
        {"C:\\Windows", "C:\\Windows"},
        {"", ""},
    };
    for (const TCase& testCase : cases) {
        EXPECT_EQ(NormalizePath(testCase.Path), testCase.Normal) << testCase.Path;
    }
}

TEST(PlaceholderList, FirstLineReadSetAndRemoved) {
    TPlaceholderList list;
    list.Append("<$A>", "one");
    list.Append("<$a>", "two");
    EXPECT_EQ(list.Read("<$A>"), "one");
    list.Set("<$A>", "three"); // the first line only
    EXPECT_EQ(list.Lines(),
              (std::vector<TPlaceholderList::TLine>{{"<$A>", "three"}, {"<$a>", "two"}}));
    list.Set("<$A>", ""); // removes the first line
    EXPECT_EQ(list.Read("<$A>"), "two");
    list.Set("<$B>", "new"); // appended
    EXPECT_EQ(list.Lines().back(), (TPlaceholderList::TLine{"<$B>", "new"}));
    EXPECT_EQ(list.Read("<$missing>"), "");
}

class PathPlaceholdersTest : public ::testing::Test {
protected:
    void SetUp() override { FPrefix.Install(); }
    void TearDown() override { FreePathPlaceholders(); }

    static std::vector<std::string> Set(const std::string& name) {
        const TPlaceholderSet* set = PathPlaceholderIndex().Find(name);
        return set == nullptr ? std::vector<std::string>{"(none)"}
                              : std::vector<std::string>(set->begin(), set->end());
    }

    test::TTempPrefix FPrefix{VX_DEFAULT_PREFIX};
};

TEST_F(PathPlaceholdersTest, A32BitMachineGivesOneValuePerDistinctResult) {
    FPrefix.MakeFolder("D:\\");
    CreatePathPlaceholders();
    using TValues = std::vector<std::string>;
    EXPECT_EQ(Set("<$PROGRAMFILES>"), TValues{"C:\\Program Files"});
    EXPECT_EQ(Set("<$WINDIR>"), TValues{"C:\\Windows"});
    EXPECT_EQ(Set("<$WINDIR2>"), TValues{"C:\\Windows"});
    EXPECT_EQ(Set("<$SYSDRIVE>"), TValues{"C:"});
    EXPECT_EQ(Set("<$SYSDIR>"), (TValues{"C:\\Windows\\System32", "C:\\Windows\\SysWOW64"}));
    EXPECT_EQ(Set("<$DESKTOP>"), TValues{"C:\\Users\\User\\Desktop"});
    EXPECT_EQ(Set("<$PATH>"), TValues{"%USERPROFILE%\\AppData\\Local\\Microsoft\\WindowsApps"});
    EXPECT_EQ(Set("<$FIXEDDRIVES>"), (TValues{"C:", "D:"}));
    EXPECT_EQ(Set("<$LOCALSETTINGS>"), TValues{""});
    EXPECT_EQ(Set("<$TEMP>"), TValues{"C:\\Windows\\Temp"});
    EXPECT_EQ(PathPlaceholders().Read("<$FIXEDDRIVES>"), "") << "only in the index";
    // Copied from the common startup folder into the first line; the shell has no answer for
    // either pass's own line, whose empty value the set keeps.
    EXPECT_EQ(Set("<$COMMONALTSTARTUP>"),
              (TValues{"", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"}));
}

TEST_F(PathPlaceholdersTest, A64BitMachineKeepsBothProgramFilesFolders) {
    test::MakeWindows64(FPrefix.Dir());
    FPrefix.Install();
    CreatePathPlaceholders();
    using TValues = std::vector<std::string>;
    EXPECT_EQ(Set("<$PROGRAMFILES>"), (TValues{"C:\\Program Files", "C:\\Program Files (x86)"}));
    EXPECT_EQ(Set("<$COMMONPROGRAMFILES>"), (TValues{"", "C:\\Program Files (x86)\\Common Files",
                                                     "C:\\Program Files\\Common Files"}));
    // The shell has no common program files folder: each pass's own line stays empty. The
    // 32-bit pass overwrites the first line.
    EXPECT_EQ(PathPlaceholders().Read("<$PROGRAMFILES>"), "C:\\Program Files (x86)");
    EXPECT_EQ(Set("<$SYSDIR>"), (TValues{"C:\\Windows\\System32", "C:\\Windows\\SysWOW64"}));
}

TEST_F(PathPlaceholdersTest, LocalSettingsKeepsTheEmptyTextBesideTheValueOfThe32BitPass) {
    FPrefix.Write("user.reg",
                  FPrefix.Read("user.reg") +
                      "\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                      "CurrentVersion\\Explorer\\Shell Folders]\r\n"
                      "\"Local Settings\"=\"C:\\\\Users\\\\User\\\\Local Settings\"\r\n");
    FPrefix.Install();
    CreatePathPlaceholders();
    EXPECT_EQ(Set("<$LOCALSETTINGS>"),
              (std::vector<std::string>{"", "C:\\Users\\User\\Local Settings"}));
}

TEST_F(PathPlaceholdersTest, ThePathIsCutAtItsFirstSeparator) {
    FPrefix.Write("user.reg", std::string(test::TTempPrefix::Header) +
                                  "[HKEY_CURRENT_USER\\Environment]\r\n"
                                  "\"PATH\"=\"C:\\\\Tools\\\\;D:\\\\Other\"\r\n");
    FPrefix.Install();
    TPlaceholderList list;
    TPlaceholderIndex index;
    BuildPathPlaceholders(list, index, "", 32);
    EXPECT_EQ(list.Read("<$PATH>"), "C:\\Tools");
}

TEST_F(PathPlaceholdersTest, ProfilesComeFromTheDesktopWhenTheShellHasNone) {
    TPlaceholderList list;
    list.Append("<$DESKTOP>", "C:\\Users\\Ann\\Desktop");
    list.Append("<$PROFILE>", "");
    TPlaceholderIndex index;
    // The pass keeps what the list holds; the shell's profile folders come from the registry,
    // which this machine does not have.
    FPrefix.Write("user.reg", std::string(test::TTempPrefix::Header));
    FPrefix.Hives("");
    FPrefix.Install();
    BuildPathPlaceholders(list, index, "", 32);
    EXPECT_EQ(list.Read("<$PROFILE>"), "C:\\Users\\Ann");
    EXPECT_EQ(list.Read("<$PROFILES>"), "C:\\Users");
}

TEST_F(PathPlaceholdersTest, FixedDrivesAreCToWOnly) {
    for (const char* drive : {"A:\\", "B:\\", "D:\\", "W:\\", "X:\\", "Y:\\", "Z:\\", "E:\\"}) {
        FPrefix.MakeFolder(drive);
    }
    FPrefix.Write("system.reg", FPrefix.Read("system.reg") +
                                    "\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n"
                                    "\"e:\"=\"cdrom\"\r\n");
    FPrefix.Install();
    TPlaceholderIndex index;
    AddFixedDrives(index);
    const TPlaceholderSet* drives = index.Find("<$FIXEDDRIVES>");
    ASSERT_NE(drives, nullptr);
    EXPECT_EQ(std::vector<std::string>(drives->begin(), drives->end()),
              (std::vector<std::string>{"C:", "D:", "W:"}));
}

TEST(MergePathPlaceholders, EveryValueOnceAndSysWow64BesideSystem32) {
    TPlaceholderList list;
    list.Append("<$SYSDIR>", "C:\\WINDOWS\\SYSTEM32");
    list.Append("<$A>", "x");
    list.Append("<$a>", "X");
    list.Append("<$A>", "");
    TPlaceholderIndex index;
    MergePathPlaceholders(list, index);
    MergePathPlaceholders(list, index);
    ASSERT_EQ(index.Entries().size(), 2U);
    EXPECT_EQ(
        std::vector<std::string>(index.Find("<$sysdir>")->begin(), index.Find("<$sysdir>")->end()),
        (std::vector<std::string>{"C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS\\SysWOW64"}));
    EXPECT_EQ(std::vector<std::string>(index.Find("<$A>")->begin(), index.Find("<$A>")->end()),
              (std::vector<std::string>{"", "x"}));
}

TEST(UpdatePlaceholderFromRegistry, KeepsAValueUnlessItOverwrites) {
    test::TTempPrefix prefix;
    prefix.Hives("[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n\"Dir\"=\"C:\\\\New\\\\\"\r\n"
                 "\"Cut\"=\"C:\\\\First\\\\;C:\\\\Second\"\r\n");
    prefix.Install();
    struct TCase {
        const char* Current;
        const char* Value;
        bool Overwrite;
        const char* Suffix;
        const char* Cut;
        const char* Result;
    };
    const std::vector<TCase> cases{
        {"", "Dir", false, "", "", "C:\\New"},
        {"C:\\Old", "Dir", false, "", "", "C:\\Old"},
        {"C:\\Old", "Dir", true, "\\Temp", "", "C:\\New\\Temp"},
        {"C:\\Old", "Missing", true, "", "", "C:\\Old"},
        {"", "Cut", false, "", ";", "C:\\First"},
        {"", "Cut", false, "", "|", "C:\\First\\;C:\\Second"},
    };
    for (const TCase& testCase : cases) {
        TPlaceholderList list;
        list.Set("<$X>", testCase.Current);
        UpdatePlaceholderFromRegistry(list, "<$X>", win::HKEY_LOCAL_MACHINE, "\\Software\\Test\\",
                                      testCase.Value, 32, testCase.Overwrite, testCase.Suffix,
                                      testCase.Cut);
        EXPECT_EQ(list.Read("<$X>"), testCase.Result) << testCase.Value << " " << testCase.Cut;
    }
}

} // namespace
} // namespace vx::config
