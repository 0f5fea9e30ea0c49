// The real VXTray with suite-sim, vxhealth and a second VXTray, on the suite's fixed ports.
#include "support/ChildProcess.h"
#include "support/LoopbackPort.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <thread>

#include <gtest/gtest.h>

namespace vx::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path BinDir = VX_BIN_DIR;
constexpr int TrayPort = 21324;

class Tray : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LoopbackBindable(TrayPort)) << "port " << TrayPort << " is taken";
        std::string pattern = (fs::temp_directory_path() / "vx-e2e-XXXXXX").string();
        FDir = ::mkdtemp(pattern.data());
        FEnvironment = {{"VXTRAY_PREFIX", (FDir / "prefix").string()},
                        {"QT_QPA_PLATFORM", "offscreen"}};
        FSuite = std::make_unique<TChildProcess>(BinDir / "suite-sim", std::vector<std::string>{},
                                                 FEnvironment);
        ASSERT_TRUE(FSuite->WaitForLine("listening on 127.0.0.1:21325", 10s)) << FSuite->Output();
    }
    void TearDown() override {
        FSuite.reset();
        fs::remove_all(FDir);
    }

    std::unique_ptr<TChildProcess> StartTray(const std::vector<std::string>& args = {}) {
        auto tray = std::make_unique<TChildProcess>(BinDir / "VXTray", args, FEnvironment);
        EXPECT_TRUE(PollUntil([] { return LoopbackListening(TrayPort); }, 15s)) << tray->Output();
        return tray;
    }

    std::pair<int, std::string> Run(const char* program, const std::vector<std::string>& args) {
        return TChildProcess::Run(BinDir / program, args, FEnvironment);
    }

    fs::path FDir;
    TChildProcess::TEnvironment FEnvironment;
    std::unique_ptr<TChildProcess> FSuite;
};

TEST_F(Tray, TheWholeSuiteWorksAndTakesADecision) {
    auto tray = StartTray();
    const auto [healthCode, health] = Run("vxhealth", {});
    EXPECT_EQ(healthCode, 0) << health;
    EXPECT_EQ(health, "Updater: working\nFirewall: working\nScanner: working\nTray: working\n"
                      "Monitor: working\n");

    const auto [addCode, reply] = Run("suite-sim", {"--add", "module=m&information=i"});
    EXPECT_EQ(addCode, 0) << reply;
    EXPECT_EQ(reply.rfind("HTTP/1.0 200\nid=0\r\n", 0), 0u) << reply;
    EXPECT_NE(reply.find("module=m\r\ninformation=i\r\n"), std::string::npos) << reply;

    tray->Signal(SIGTERM);
    EXPECT_EQ(tray->Wait(2s), 0) << tray->Output();
    EXPECT_TRUE(PollUntil([] { return LoopbackBindable(TrayPort); }, 2s));
}

TEST_F(Tray, ASecondTrayRunsWithoutTheServiceAndTheFirstKeepsThePort) {
    auto first = StartTray();
    TChildProcess second(BinDir / "VXTray", {}, FEnvironment);
    EXPECT_EQ(second.Wait(2s), std::nullopt) << second.Output(); // still running
    const auto [healthCode, health] = Run("vxhealth", {});
    EXPECT_EQ(healthCode, 0) << health;

    second.Signal(SIGTERM);
    EXPECT_EQ(second.Wait(2s), 0) << second.Output();
    EXPECT_TRUE(LoopbackListening(TrayPort));
    first->Signal(SIGINT);
    EXPECT_EQ(first->Wait(2s), 0) << first->Output();
}

// Each probe of a hung service would wait 15 s and a round has five: the probe in flight is
// cancelled instead, so that the tray ends at once.
TEST_F(Tray, EndsAtOnceWhileEveryServiceHangs) {
    FSuite.reset();
    FSuite = std::make_unique<TChildProcess>(
        BinDir / "suite-sim",
        std::vector<std::string>{"--hang", "update", "--hang", "firewall", "--hang", "scanner",
                                 "--hang", "monitor"},
        FEnvironment);
    ASSERT_TRUE(FSuite->WaitForLine("listening on 127.0.0.1:21325", 10s)) << FSuite->Output();
    auto tray = StartTray();
    std::this_thread::sleep_for(1s); // the first round of probes has begun and hangs
    tray->Signal(SIGTERM);
    EXPECT_EQ(tray->Wait(2s), 0) << tray->Output();
}

TEST_F(Tray, StartsOnACorruptRegistryAndAMissingPrefix) {
    // The prefix is made from the default on first start; spoil its machine hive afterwards.
    {
        auto tray = StartTray();
        tray->Signal(SIGTERM);
        ASSERT_EQ(tray->Wait(2s), 0) << tray->Output();
    }
    std::ofstream(FDir / "prefix/system.reg") << "this is not a registry file\n";
    auto tray = StartTray();
    EXPECT_TRUE(tray->WaitForLine("system.reg:1:", 5s)) << tray->Output();
    tray->Signal(SIGTERM);
    EXPECT_EQ(tray->Wait(2s), 0) << tray->Output();
}

// Qt's own options are no more the program's than any other argument: a style or a platform
// named there takes no effect, and the tray serves as without them.
TEST_F(Tray, TakesNoArgumentsNotEvenQts) {
    auto tray = StartTray(
        {"-platform", "nonexistent-platform", "-style", "nonexistent-style", "--anything"});
    const auto [healthCode, health] = Run("vxhealth", {});
    EXPECT_EQ(healthCode, 0) << health;
    tray->Signal(SIGTERM);
    EXPECT_EQ(tray->Wait(2s), 0) << tray->Output();
    EXPECT_EQ(tray->Output().find("nonexistent"), std::string::npos) << tray->Output();
}

// A display named but not there (an autostart racing the desktop, a stale remote session):
// the tray says so, runs offscreen, and its decision service answers the health check.
TEST_F(Tray, RunsOffscreenWhenTheDisplayCannotBeOpened) {
    std::string display;
    for (int number = 99; number < 199 && display.empty(); ++number) {
        if (!fs::exists("/tmp/.X11-unix/X" + std::to_string(number))) {
            display = ":" + std::to_string(number);
        }
    }
    ASSERT_FALSE(display.empty());
    FEnvironment["DISPLAY"] = display;
    FEnvironment["QT_QPA_PLATFORM"] = "";
    FEnvironment["WAYLAND_DISPLAY"] = "";
    auto tray = StartTray();
    EXPECT_TRUE(tray->WaitForLine("running offscreen", 10s)) << tray->Output();
    const auto [healthCode, health] = Run("vxhealth", {});
    EXPECT_EQ(healthCode, 0) << health;
    tray->Signal(SIGTERM);
    EXPECT_EQ(tray->Wait(2s), 0) << tray->Output();
}

} // namespace
} // namespace vx::test
