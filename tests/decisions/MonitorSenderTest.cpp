#include "decisions/MonitorSender.h"

#include "health/InternetErrors.h"
#include "platform/UiThread.h"
#include "support/LoopbackPort.h"
#include "support/Pumped.h"
#include "support/TestPeer.h"

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::decisions {
namespace {

using test::TTestPeer;

std::string RequestLine(const std::string& head) {
    return head.substr(0, head.find("\r\n"));
}

// Short time-outs: a monitor that never answers fails in 300 ms instead of 5 s.
constexpr TMonitorTimeouts QuickTimeouts{std::chrono::milliseconds(200),
                                         std::chrono::milliseconds(300)};

// The sender with the test thread as the user-interface thread, recording its failures.
class MonitorSenderTest : public ::testing::Test {
protected:
    void SetUp() override { UiThread::Attach(); }
    void TearDown() override {
        FSender.reset();
        UiThread::Detach();
    }

    void Start(int port, TMonitorTimeouts timeouts = QuickTimeouts) {
        FSender.reset(new TMonitorSender(port, [this](const TMonitorFailure& failure) {
            EXPECT_TRUE(UiThread::IsCurrent());
            FFailures.push_back(failure);
        }));
        FSender->SetTimeouts(timeouts);
        FSender->Start();
    }
    bool WaitUntilDone() {
        return test::PumpUntil([this] { return FSender->Pending() == 0; });
    }

    TThreadPtr<TMonitorSender> FSender;
    std::vector<TMonitorFailure> FFailures;
};

TEST_F(MonitorSenderTest, DeliversEveryRequestInTheOrderGiven) {
    TTestPeer monitor(TTestPeer::Reply(200, "1"));
    Start(monitor.Port());
    FSender->Send(TMonitorRequest::Verdict(3, true, "C:\\a.exe"));
    FSender->Send(TMonitorRequest::LiveProtection(false));
    FSender->Send(TMonitorRequest::Verdict(4294967295u, false, "b"));
    FSender->Send(TMonitorRequest::LiveProtection(true));
    ASSERT_TRUE(WaitUntilDone());
    std::vector<std::string> lines;
    for (const auto& request : monitor.Requests()) {
        lines.push_back(RequestLine(request));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "GET /applydecision?decisionid=3&decision=allow HTTP/1.1",
                         "GET /liveprotection?enabled=0 HTTP/1.1",
                         "GET /applydecision?decisionid=4294967295&decision=deny HTTP/1.1",
                         "GET /liveprotection?enabled=1 HTTP/1.1"}));
    EXPECT_TRUE(FFailures.empty());
}

// A request the monitor did not take is reported once, on the user-interface thread, with
// the request and the reason; the next request goes out all the same.
TEST_F(MonitorSenderTest, ReportsEachRequestThatWasNotDelivered) {
    struct TCase {
        const char* Name;
        std::string Raw; // empty: nothing listens
        bool Hang;
        std::string Reason;
    };
    const TCase cases[] = {
        {"refused", TTestPeer::Reply(200, "0"), false, "the monitor refused it"},
        {"404", TTestPeer::Reply(404, "1"), false, "File not found on server!"},
        {"nothing listens", "", false, "Could not connect to server!"},
        {"never answers", "", true, "12002: The operation timed out"},
        {"garbage", "garbage", false, "12152"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        FFailures.clear();
        TTestPeer monitor(testCase.Raw);
        if (testCase.Hang) {
            monitor.SetHang();
        }
        Start(testCase.Raw.empty() && !testCase.Hang ? test::FreeLoopbackPort() : monitor.Port());
        FSender->Send(TMonitorRequest::Verdict(9, true, "C:\\evil.exe"));
        ASSERT_TRUE(WaitUntilDone());
        ASSERT_EQ(FFailures.size(), 1u);
        const TMonitorFailure& failure = FFailures[0];
        EXPECT_EQ(failure.Request.Kind, TMonitorRequest::rkVerdict);
        EXPECT_EQ(failure.Request.DecisionId, 9u);
        EXPECT_TRUE(failure.Request.Allow);
        EXPECT_EQ(failure.Request.Item, "C:\\evil.exe");
        EXPECT_EQ(failure.Reason.rfind(testCase.Reason, 0), 0u) << failure.Reason;
    }
}

TEST_F(MonitorSenderTest, AFailureDoesNotHoldUpTheRequestsBehindIt) {
    TTestPeer monitor;
    monitor.SetResponder([](const std::string& head) {
        return TTestPeer::Reply(200, head.find("enabled=0") != std::string::npos ? "0" : "1");
    });
    Start(monitor.Port());
    FSender->Send(TMonitorRequest::LiveProtection(false));
    FSender->Send(TMonitorRequest::Verdict(1, false, "x"));
    ASSERT_TRUE(WaitUntilDone());
    EXPECT_EQ(monitor.Requests().size(), 2u);
    ASSERT_EQ(FFailures.size(), 1u);
    EXPECT_EQ(FFailures[0].Request.Kind, TMonitorRequest::rkLiveProtection);
    EXPECT_FALSE(FFailures[0].Request.Enabled);
    EXPECT_EQ(FFailures[0].Reason, MonitorRefusedText);
}

// Freed while a request hangs: the one in flight is cancelled, the queued ones are dropped,
// and nothing is reported to a user interface that is going away.
TEST_F(MonitorSenderTest, FreeingDropsWhatIsQueued) {
    TTestPeer monitor;
    monitor.SetHang();
    Start(monitor.Port(), {std::chrono::seconds(60), std::chrono::seconds(60)});
    for (std::uint32_t id = 0; id < 5; ++id) {
        FSender->Send(TMonitorRequest::Verdict(id, true, "x"));
    }
    ASSERT_TRUE(test::PumpUntil([&] { return monitor.Connections() == 1; }));
    FSender.reset();
    EXPECT_EQ(monitor.Connections(), 1);
    EXPECT_TRUE(FFailures.empty());
}

TEST(MonitorDelivery, ACancelledRequestIsNotDelivered) {
    TTestPeer monitor;
    monitor.SetHang();
    std::string reason;
    EXPECT_FALSE(DeliverMonitorRequest(TMonitorRequest::LiveProtection(true), monitor.Port(),
                                       reason, {std::chrono::seconds(60), std::chrono::seconds(60)},
                                       [&] { return monitor.Connections() > 0; }));
    EXPECT_EQ(reason, health::InternetErrorText(health::ErrorInternetOperationCancelled));
}

} // namespace
} // namespace vx::decisions
