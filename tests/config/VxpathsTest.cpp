// vxpaths end to end: the real binary on a copy of the default machine and on a 64-bit one.
#include "support/ChildProcess.h"
#include "support/TempPrefix.h"
#include "support/Windows64.h"

#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vx::config {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class VxpathsTest : public ::testing::Test {
protected:
    std::pair<int, std::string> Vxpaths(const std::vector<std::string>& args = {}) const {
        return test::TChildProcess::Run(VXPATHS_BINARY, args,
                                        {{"VXTRAY_PREFIX", FPrefix.Dir().string()}});
    }
    // The lines of one "[section]" of the report, up to the next empty line.
    static std::vector<std::string> Section(const std::string& report, const std::string& name) {
        std::istringstream in(report);
        std::vector<std::string> lines;
        bool inside = false;
        for (std::string line; std::getline(in, line);) {
            if (line == "[" + name + "]") {
                inside = true;
            } else if (inside && line.empty()) {
                break;
            } else if (inside) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    test::TTempPrefix FPrefix{VX_DEFAULT_PREFIX};
};

TEST_F(VxpathsTest, TheDefaultMachine) {
    const auto [code, report] = Vxpaths();
    ASSERT_EQ(code, 0) << report;
    EXPECT_THAT(report, StartsWith("<$LOCALSETTINGS>=\n<$WINDIR2>=C:\\Windows\n"));
    EXPECT_THAT(report,
                HasSubstr("\n<$PATH>=%USERPROFILE%\\AppData\\Local\\Microsoft\\WindowsApps\n"));
    EXPECT_THAT(report, HasSubstr("\n[index]\n<$LOCALSETTINGS>\n  \n<$WINDIR2>\n  C:\\Windows\n"));
    EXPECT_THAT(report,
                HasSubstr("\n<$SYSDIR>\n  C:\\Windows\\System32\n  C:\\Windows\\SysWOW64\n"));
    EXPECT_THAT(report, HasSubstr("\n<$FIXEDDRIVES>\n  C:\n"));
    EXPECT_EQ(Section(report, "tweaks"),
              (std::vector<std::string>{"TempFolderCleanDelay=15", "TempFolderCleanMinimum=100",
                                        "FloppyVolumeInformation=2"}));
    EXPECT_EQ(Section(report, "drives"), std::vector<std::string>{"C: fixed"});
}

TEST_F(VxpathsTest, TweaksAreTheTraysAndDrivesAsTheMachineHasThem) {
    FPrefix.Write("system.reg",
                  FPrefix.Read("system.reg") +
                      "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qelvane Limited\\Tweaks]\r\n"
                      "\"TempFolderCleanDelay\"=dword:00000005\r\n"
                      "\"FloppyVolumeInformation\"=dword:00000100\r\n"
                      "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qelvane Limited\\Tweaks\\VXTray]\r\n"
                      "\"TempFolderCleanDelay\"=dword:0000001e\r\n"
                      "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qelvane Limited\\Tweaks\\vxpaths]\r\n"
                      "\"TempFolderCleanMinimum\"=dword:00000001\r\n"
                      "\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n\"b:\"=\"floppy\"\r\n");
    FPrefix.MakeFolder("A:\\");
    FPrefix.MakeFolder("B:\\");
    FPrefix.Write("drive_c/.windows-label", "System Disk");
    FPrefix.Write("drive_c/.windows-serial", "1a2b3c4d");
    const auto [code, report] = Vxpaths();
    ASSERT_EQ(code, 0) << report;
    // The tray's own key wins over the shared one; another program's key is not read.
    EXPECT_EQ(Section(report, "tweaks"),
              (std::vector<std::string>{"TempFolderCleanDelay=30", "TempFolderCleanMinimum=100",
                                        "FloppyVolumeInformation=0"}));
    EXPECT_EQ(Section(report, "drives"),
              (std::vector<std::string>{"A: fixed", "B: removable",
                                        "C: fixed \"System Disk\" 1A2B-3C4D"}));
}

TEST_F(VxpathsTest, OneNamesValuesOnTheDefaultAnd64BitMachines) {
    EXPECT_EQ(Vxpaths({"<$PROGRAMFILES>"}),
              (std::pair<int, std::string>{0, "C:\\Program Files\n"}));
    test::MakeWindows64(FPrefix.Dir());
    EXPECT_EQ(Vxpaths({"<$programfiles>"}),
              (std::pair<int, std::string>{0, "C:\\Program Files\nC:\\Program Files (x86)\n"}));
}

TEST_F(VxpathsTest, ErrorsEndWithCodeOne) {
    const auto [unknownCode, unknown] = Vxpaths({"<$NOSUCH>"});
    EXPECT_EQ(unknownCode, 1);
    EXPECT_EQ(unknown, "vxpaths: no placeholder <$NOSUCH>\n");
    const auto [code, output] = test::TChildProcess::Run(
        VXPATHS_BINARY, {}, {{"VXTRAY_PREFIX", (FPrefix.Dir() / "missing").string()}});
    EXPECT_EQ(code, 1);
    EXPECT_THAT(output, HasSubstr("does not exist"));
}

} // namespace
} // namespace vx::config
