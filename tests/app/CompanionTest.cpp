#include "support/ChildProcess.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace vx::app::test {
namespace {

namespace fs = std::filesystem;

// Without a desktop, or without notify-send, each program says on standard output who it is.
TEST(CompanionProgramTest, EachAnnouncesItselfWithoutADesktop) {
    struct TCase {
        const char* Program;
        const char* Line;
    };
    const TCase cases[] = {
        {"VXScan.exe", "Korvex - Thornet 2 - System Scan: VXScan.exe started\n"},
        {"VXFiles.exe", "Korvex - Thornet 2 - File & Folder Scan: VXFiles.exe started\n"},
        {"VXUpdate.exe", "Korvex - Thornet 2 - Update: VXUpdate.exe started\n"},
        {"VXMain.exe", "Korvex - Thornet 2 - Main Console: VXMain.exe started\n"},
    };
    const fs::path empty = fs::temp_directory_path();
    const vx::test::TChildProcess::TEnvironment environments[] = {
        {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}},
        // A desktop, but no notify-send to be found.
        {{"DISPLAY", ":99"}, {"PATH", empty.string()}},
    };
    for (const auto& environment : environments) {
        for (const auto& testCase : cases) {
            const auto [code, output] = vx::test::TChildProcess::Run(
                fs::path(VX_BIN_DIR) / testCase.Program, {}, environment);
            EXPECT_EQ(code, 0) << testCase.Program;
            EXPECT_EQ(output, testCase.Line) << testCase.Program;
        }
    }
}

} // namespace
} // namespace vx::app::test
