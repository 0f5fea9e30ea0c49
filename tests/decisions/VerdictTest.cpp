#include "decisions/Verdict.h"

#include "decisions/DecisionList.h"
#include "support/LoopbackPort.h"
#include "support/TestPeer.h"

#include <gtest/gtest.h>

namespace vx::decisions {
namespace {

using test::TTestPeer;

std::string RequestLine(const std::string& head) {
    return head.substr(0, head.find("\r\n"));
}

TEST(Verdict, GoesToTheMonitorAsAGetOfItsPath) {
    struct TCase {
        std::uint32_t ID;
        bool Allow;
        std::string Line;
    } cases[] = {
        {7, true, "GET /applydecision?decisionid=7&decision=allow HTTP/1.1"},
        {0, false, "GET /applydecision?decisionid=0&decision=deny HTTP/1.1"},
        {4294967295u, true, "GET /applydecision?decisionid=4294967295&decision=allow HTTP/1.1"},
    };
    TTestPeer monitor(TTestPeer::Reply(200, "1"));
    for (const auto& testCase : cases) {
        std::string reply;
        EXPECT_TRUE(SendDecisionVerdict(testCase.ID, testCase.Allow, reply, monitor.Port()));
        EXPECT_EQ(reply, "1");
        EXPECT_EQ(RequestLine(monitor.Requests().back()), testCase.Line);
        EXPECT_NE(monitor.Requests().back().find("\r\nHost: 127.0.0.1:"), std::string::npos);
    }
    EXPECT_EQ(MonitorVerdictPort, 21325);
}

TEST(Verdict, OnlyAnExactZeroOrNoDeliveryFails) {
    struct TCase {
        const char* Name;
        std::string Raw;
        bool Result;
        std::string Reply;
    } cases[] = {
        {"accepted", TTestPeer::Reply(200, "1"), true, "1"},
        {"refused", TTestPeer::Reply(200, "0"), false, "0"},
        {"empty reply", TTestPeer::Reply(200, ""), true, ""},
        {"00", TTestPeer::Reply(200, "00"), true, "00"},
        {"0 and a line break", TTestPeer::Reply(200, "0\r\n"), true, "0\r\n"},
        {"refused with 500", TTestPeer::Reply(500, "0"), false, "0"},
        {"error status delivers", TTestPeer::Reply(500, "x"), true, "x"},
        {"404", TTestPeer::Reply(404, "1"), false, "untouched"},
        {"garbage", "garbage", false, "untouched"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        TTestPeer monitor(testCase.Raw);
        std::string reply = "untouched";
        EXPECT_EQ(SendDecisionVerdict(3, false, reply, monitor.Port()), testCase.Result);
        EXPECT_EQ(reply, testCase.Reply);
    }
}

TEST(Verdict, MonitorDownFails) {
    std::string reply = "untouched";
    EXPECT_FALSE(SendDecisionVerdict(1, true, reply, test::FreeLoopbackPort()));
    EXPECT_EQ(reply, "untouched");
}

class VerdictList : public ::testing::Test {
protected:
    TTestPeer FMonitor{TTestPeer::Reply(200, "1")};
    TDecisionList FList{FMonitor.Port()};
};

TEST_F(VerdictList, DecisionIsRemovedWhateverTheOutcome) {
    struct TCase {
        const char* Name;
        std::string Raw;
        bool Result;
    } cases[] = {
        {"accepted", TTestPeer::Reply(200, "1"), true},
        {"refused", TTestPeer::Reply(200, "0"), false},
        {"not found", TTestPeer::Reply(404, ""), false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        FMonitor.SetReply(testCase.Raw);
        FList.Add({"module=m", "information=i"});
        const auto kept = FList.Add({"module=m", "information=i"});
        EXPECT_EQ(FList.ApplyVerdict(0, true), testCase.Result);
        EXPECT_EQ(FList.Count(), 1);
        EXPECT_EQ(FList.Items(0), kept);
        FList.Delete(0);
    }
}

TEST_F(VerdictList, MonitorDownStillRemoves) {
    TDecisionList list(test::FreeLoopbackPort());
    list.Add();
    list.Add();
    EXPECT_FALSE(list.ApplyVerdict(1, false));
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(VerdictList, SendVerdictUsesTheListsMonitor) {
    const auto decision = FList.Add();
    EXPECT_TRUE(decision->SendVerdict(false));
    EXPECT_EQ(RequestLine(FMonitor.Requests().back()),
              "GET /applydecision?decisionid=0&decision=deny HTTP/1.1");
    EXPECT_EQ(FList.Count(), 1); // sending alone removes nothing
}

// While the verdict is on its way the list stays usable, and the verdict removes its own
// decision even though an add during the request shifted the others.
TEST_F(VerdictList, NoLockIsHeldAcrossTheRequest) {
    FList.Add({"module=first", "information=i"});
    const auto judged = FList.Add({"module=judged", "information=i"});
    FMonitor.SetResponder([this](const std::string&) {
        FList.Delete(0);
        FList.Add({"module=late", "information=i"});
        return TTestPeer::Reply(200, "1");
    });
    EXPECT_TRUE(FList.ApplyVerdict(judged, true));
    ASSERT_EQ(FList.Count(), 1);
    EXPECT_EQ(FList.Items(0)->Module, "late");
}

TEST_F(VerdictList, DecisionAlreadyRemovedIsNotSentAgain) {
    const auto decision = FList.Add();
    FList.Remove(*decision);
    EXPECT_FALSE(FList.ApplyVerdict(decision, true));
    EXPECT_FALSE(FList.ApplyVerdict(nullptr, true));
    EXPECT_EQ(FMonitor.Connections(), 0);
}

} // namespace
} // namespace vx::decisions
