// Live Protection end to end: the tray window on the suite's ports and the real suite-sim
// monitor, which prints what it is told and raises a decision every second while Live
// Protection is on.
#include "TrayHarness.h"
#include "support/ChildProcess.h"

#include <chrono>
#include <memory>

#include <QAction>
#include <QTest>
#include <gtest/gtest.h>

namespace vx::app::test {
namespace {

using namespace std::chrono_literals;
using vx::test::TChildProcess;

class TrayLiveProtection : public ::testing::Test {
protected:
    void SetUp() override {
        FServices = std::make_unique<TTrayServices>(VX_DEFAULT_PREFIX, VX_SCANLIB_DLL);
        TTrayOptions options; // the product's ports
        options.MakeLoader = [] { return std::unique_ptr<TWelcomeInfoLoaderThread>(); };
        FWindow = std::make_unique<TFormPlimmTrayStatus>(std::move(options));
        FMonitor = std::make_unique<TChildProcess>(
            VX_SUITESIM, std::vector<std::string>{"--services", "monitor", "--raise", "1"},
            TChildProcess::TEnvironment{{"VXTRAY_PREFIX", FServices->Prefix().Dir().string()}});
        ASSERT_TRUE(FMonitor->WaitForLine("listening on 127.0.0.1:21325", 10s))
            << FMonitor->Output();
    }
    void TearDown() override {
        FMonitor.reset();
        FWindow.reset();
        FServices.reset();
    }

    int Pending() { return FWindow->DecisionDaemon().Decisions().Count(); }
    void Toggle() { FindOne<QAction>(QStringLiteral("miLiveProtection"))->trigger(); }
    // Pumps until suite-sim printed a line holding `text`.
    bool MonitorSays(const std::string& text) {
        return WaitUntil([&] { return FMonitor->WaitForLine(text, 10ms); });
    }

    std::unique_ptr<TTrayServices> FServices;
    std::unique_ptr<TFormPlimmTrayStatus> FWindow;
    std::unique_ptr<TChildProcess> FMonitor;
};

TEST_F(TrayLiveProtection, TheMonitorStopsRaisingWhileItIsOff) {
    ASSERT_TRUE(WaitUntil([&] { return Pending() >= 1; }));

    Toggle(); // off
    ASSERT_TRUE(MonitorSays("live protection off")) << FMonitor->Output();
    QTest::qWait(300); // a decision raised just before may still arrive
    const int whileOff = Pending();
    QTest::qWait(2500);
    EXPECT_EQ(Pending(), whileOff);

    Toggle(); // on again
    ASSERT_TRUE(MonitorSays("live protection on")) << FMonitor->Output();
    EXPECT_TRUE(WaitUntil([&] { return Pending() > whileOff; }));
}

} // namespace
} // namespace vx::app::test
