#include "DecisionServerFixture.h"
#include "decisions/MonitorPeer.h"
#include "suite-sim/SampleDecisions.h"
#include "suite-sim/SimServices.h"
#include "suite-sim/TrayAdd.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::decisions::test {
namespace {

// The simulator's add path against a real decision daemon, with the simulator's monitor
// taking the verdicts.
class DecisionServerWithSuiteSim : public DecisionServerFixture {
protected:
    void SetUp() override {
        FMonitorBehaviour->ServiceName = MonitorServiceName;
        FMonitorBehaviour->IsMonitor = true;
        FMonitorBehaviour->OnMonitorLine = [this](const std::string& line) {
            std::lock_guard guard(FVerdictLock);
            FVerdicts.push_back(line);
        };
        FMonitor = StartThread<suitesim::TSimDaemon>(FVerdictPort, FMonitorBehaviour);
        DecisionServerFixture::SetUp();
    }
    void TearDown() override {
        DecisionServerFixture::TearDown();
        FMonitor.reset();
    }

    // As suite-sim --add and --raise send it.
    bool SendAdd(const std::string& query, std::string& reply) {
        return Pumped(
            [this, query, &reply] { return suitesim::SendAddToTray(query, reply, FPort); });
    }

    std::vector<std::string> Verdicts() {
        std::lock_guard guard(FVerdictLock);
        return FVerdicts;
    }

    std::shared_ptr<suitesim::TSimBehaviour> FMonitorBehaviour =
        std::make_shared<suitesim::TSimBehaviour>();
    TThreadPtr<suitesim::TSimDaemon> FMonitor;
    std::mutex FVerdictLock;
    std::vector<std::string> FVerdicts;
};

TEST_F(DecisionServerWithSuiteSim, RaisedSamplesArriveWithEveryField) {
    for (std::size_t i = 0; i < 5; ++i) {
        const TStrings sample = suitesim::SampleDecision(i);
        std::string reply;
        ASSERT_TRUE(SendAdd(AddQuery(sample), reply)) << reply;
        const auto lines = BodyLines(reply);
        ASSERT_EQ(lines.size(), 12u);
        EXPECT_EQ(lines.front(), "id=" + std::to_string(i));
        EXPECT_EQ(lines.back(), "index=" + std::to_string(i));
        for (const auto& field : sample) {
            EXPECT_NE(std::find(lines.begin(), lines.end(), field), lines.end()) << field;
        }
    }
    EXPECT_EQ(FDaemon->Decisions().Count(), 5);
}

TEST_F(DecisionServerWithSuiteSim, AddOptionQueriesAreTakenOrRefused) {
    std::string reply;
    EXPECT_TRUE(SendAdd("module=m&information=i", reply));
    EXPECT_EQ(BodyLines(reply).front(), "id=0");
    EXPECT_FALSE(SendAdd("module=m", reply));
    EXPECT_EQ(reply, "");
    EXPECT_EQ(FDaemon->Decisions().Count(), 1);
}

// suite-sim --add prints the tray's status line and says why a decision was not taken: the
// tray's 504 says nothing, so the reason must match what the server really checked.
TEST_F(DecisionServerWithSuiteSim, TheAddOptionSaysWhyTheTrayRefused) {
    const std::string fieldsRequired =
        "not accepted: the fields module and information are required";
    const struct {
        const char* Name;
        std::string Query;
        std::size_t Bound; // pending decisions the tray takes
        std::string StatusLine;
        std::string Reason; // empty: taken
    } cases[] = {
        {"taken", "module=Registry&information=New%20autostart%20entry", 10, "HTTP/1.0 200", ""},
        {"no information", "module=Registry&item=HKLM%5CSoftware%5CRun&threatlevel=4", 10,
         "HTTP/1.0 504", fieldsRequired + " (information is missing)"},
        {"no module", "information=x", 10, "HTTP/1.0 504", fieldsRequired + " (module is missing)"},
        {"neither", "item=x", 10, "HTTP/1.0 504", fieldsRequired + " (both are missing)"},
        {"a name the tray decodes counts", "modul%65=m&information=i", 10, "HTTP/1.0 200", ""},
        {"beyond the bound", "module=m&information=i", 1, "HTTP/1.0 504",
         "not accepted: the tray's pending decisions are at their bound, in number or in text; "
         "its service log says which: curl http://127.0.0.1:21324/log"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.Name);
        FDaemon->Decisions().SetLimits({row.Bound, 1000});
        const suitesim::TTrayAnswer answer =
            Pumped([this, &row] { return suitesim::AddToTray(row.Query, FPort); });
        EXPECT_EQ(answer.StatusLine, row.StatusLine);
        EXPECT_EQ(suitesim::Accepted(answer), row.Reason.empty());
        if (!row.Reason.empty()) {
            EXPECT_EQ(suitesim::RefusalReason(row.Query, answer), row.Reason);
        }
    }
    EXPECT_EQ(FDaemon->Decisions().Count(), 2);
}

TEST_F(DecisionServerWithSuiteSim, VerdictGivenOnTheUserInterfaceThreadReachesTheMonitor) {
    // The owner answers the first pending decision as soon as it is told, as a user would.
    FOnChange = [](TDecisionList& decisions) {
        if (decisions.Count() > 0) {
            decisions.ApplyVerdict(decisions.Items(0), true);
        }
    };
    std::string reply;
    ASSERT_TRUE(SendAdd(AddQuery(suitesim::SampleDecision(0)), reply));
    ASSERT_TRUE(WaitFor([&] { return !Verdicts().empty(); }));
    EXPECT_EQ(Verdicts(), std::vector<std::string>{"verdict id=0 allow"});
    EXPECT_EQ(FDaemon->Decisions().Count(), 0);
}

} // namespace
} // namespace vx::decisions::test
