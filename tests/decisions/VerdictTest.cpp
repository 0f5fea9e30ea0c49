#include "decisions/Verdict.h"

#include "decisions/DecisionList.h"
#include "support/LoopbackPort.h"
#include "support/TestPeer.h"

#include <gtest/gtest.h>

namespace vx::decisions {
namespace {

using test::TTestPeer;

std::string RequestLine(const std::string& Head) {
    return Head.substr(0, Head.find("\r\n"));
}

TEST(Verdict, GoesToTheMonitorAsAGetOfItsPath) {
    struct TCase {
        std::uint32_t ID;
        bool Allow;
        std::string Line;
    } Cases[] = {
        {7, true, "GET /applydecision?decisionid=7&decision=allow HTTP/1.1"},
        {0, false, "GET /applydecision?decisionid=0&decision=deny HTTP/1.1"},
        {4294967295u, true, "GET /applydecision?decisionid=4294967295&decision=allow HTTP/1.1"},
    };
    TTestPeer Monitor(TTestPeer::Reply(200, "1"));
    for (const auto& Case : Cases) {
        std::string Reply;
        EXPECT_TRUE(SendDecisionVerdict(Case.ID, Case.Allow, Reply, Monitor.Port()));
        EXPECT_EQ(Reply, "1");
        EXPECT_EQ(RequestLine(Monitor.Requests().back()), Case.Line);
        EXPECT_NE(Monitor.Requests().back().find("\r\nHost: 127.0.0.1:"), std::string::npos);
    }
    EXPECT_EQ(MonitorVerdictPort, 21325);
}

TEST(Verdict, OnlyAnExactZeroOrNoDeliveryFails) {
    struct TCase {
        const char* Name;
        std::string Raw;
        bool Result;
        std::string Reply;
    } Cases[] = {
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
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TTestPeer Monitor(Case.Raw);
        std::string Reply = "untouched";
        EXPECT_EQ(SendDecisionVerdict(3, false, Reply, Monitor.Port()), Case.Result);
        EXPECT_EQ(Reply, Case.Reply);
    }
}

TEST(Verdict, MonitorDownFails) {
    std::string Reply = "untouched";
    EXPECT_FALSE(SendDecisionVerdict(1, true, Reply, test::FreeLoopbackPort()));
    EXPECT_EQ(Reply, "untouched");
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
    } Cases[] = {
        {"accepted", TTestPeer::Reply(200, "1"), true},
        {"refused", TTestPeer::Reply(200, "0"), false},
        {"not found", TTestPeer::Reply(404, ""), false},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        FMonitor.SetReply(Case.Raw);
        FList.Add({"module=m", "information=i"});
        const auto Kept = FList.Add({"module=m", "information=i"});
        EXPECT_EQ(FList.ApplyVerdict(0, true), Case.Result);
        EXPECT_EQ(FList.Count(), 1);
        EXPECT_EQ(FList.Items(0), Kept);
        FList.Delete(0);
    }
}

TEST_F(VerdictList, MonitorDownStillRemoves) {
    TDecisionList List(test::FreeLoopbackPort());
    List.Add();
    List.Add();
    EXPECT_FALSE(List.ApplyVerdict(1, false));
    EXPECT_EQ(List.Count(), 1);
}

TEST_F(VerdictList, SendVerdictUsesTheListsMonitor) {
    const auto Decision = FList.Add();
    EXPECT_TRUE(Decision->SendVerdict(false));
    EXPECT_EQ(RequestLine(FMonitor.Requests().back()),
              "GET /applydecision?decisionid=0&decision=deny HTTP/1.1");
    EXPECT_EQ(FList.Count(), 1); // sending alone removes nothing
}

// While the verdict is on its way the list stays usable, and the verdict removes its own
// decision even though an add during the request shifted the others.
TEST_F(VerdictList, NoLockIsHeldAcrossTheRequest) {
    FList.Add({"module=first", "information=i"});
    const auto Judged = FList.Add({"module=judged", "information=i"});
    FMonitor.SetResponder([this](const std::string&) {
        FList.Delete(0);
        FList.Add({"module=late", "information=i"});
        return TTestPeer::Reply(200, "1");
    });
    EXPECT_TRUE(FList.ApplyVerdict(Judged, true));
    ASSERT_EQ(FList.Count(), 1);
    EXPECT_EQ(FList.Items(0)->Module, "late");
}

TEST_F(VerdictList, DecisionAlreadyRemovedIsNotSentAgain) {
    const auto Decision = FList.Add();
    FList.Remove(*Decision);
    EXPECT_FALSE(FList.ApplyVerdict(Decision, true));
    EXPECT_FALSE(FList.ApplyVerdict(nullptr, true));
    EXPECT_EQ(FMonitor.Connections(), 0);
}

} // namespace
} // namespace vx::decisions
