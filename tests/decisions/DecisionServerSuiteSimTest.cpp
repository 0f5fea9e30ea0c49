#include "DecisionServerFixture.h"
#include "decisions/MonitorPeer.h"
#include "suite-sim/SampleDecisions.h"
#include "suite-sim/SimServices.h"

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
        FMonitorBehaviour->OnVerdict = [this](const std::string& Line) {
            std::lock_guard Guard(FVerdictLock);
            FVerdicts.push_back(Line);
        };
        FMonitor = StartThread<suitesim::TSimDaemon>(FVerdictPort, FMonitorBehaviour);
        DecisionServerFixture::SetUp();
    }
    void TearDown() override {
        DecisionServerFixture::TearDown();
        FMonitor.reset();
    }

    // As suite-sim --add and --raise send it.
    bool SendAdd(const std::string& Query, std::string& Reply) {
        return Pumped(
            [this, Query, &Reply] { return suitesim::SendAddToTray(Query, Reply, FPort); });
    }

    std::vector<std::string> Verdicts() {
        std::lock_guard Guard(FVerdictLock);
        return FVerdicts;
    }

    std::shared_ptr<suitesim::TSimBehaviour> FMonitorBehaviour =
        std::make_shared<suitesim::TSimBehaviour>();
    TThreadPtr<suitesim::TSimDaemon> FMonitor;
    std::mutex FVerdictLock;
    std::vector<std::string> FVerdicts;
};

TEST_F(DecisionServerWithSuiteSim, RaisedSamplesArriveWithEveryField) {
    for (std::size_t I = 0; I < 5; ++I) {
        const TStrings Sample = suitesim::SampleDecision(I);
        std::string Reply;
        ASSERT_TRUE(SendAdd(AddQuery(Sample), Reply)) << Reply;
        const auto Lines = BodyLines(Reply);
        ASSERT_EQ(Lines.size(), 12u);
        EXPECT_EQ(Lines.front(), "id=" + std::to_string(I));
        EXPECT_EQ(Lines.back(), "index=" + std::to_string(I));
        for (const auto& Field : Sample) {
            EXPECT_NE(std::find(Lines.begin(), Lines.end(), Field), Lines.end()) << Field;
        }
    }
    EXPECT_EQ(FDaemon->Decisions().Count(), 5);
}

TEST_F(DecisionServerWithSuiteSim, AddOptionQueriesAreTakenOrRefused) {
    std::string Reply;
    EXPECT_TRUE(SendAdd("module=m&information=i", Reply));
    EXPECT_EQ(BodyLines(Reply).front(), "id=0");
    EXPECT_FALSE(SendAdd("module=m", Reply));
    EXPECT_EQ(Reply, "");
    EXPECT_EQ(FDaemon->Decisions().Count(), 1);
}

TEST_F(DecisionServerWithSuiteSim, VerdictGivenOnTheUserInterfaceThreadReachesTheMonitor) {
    // The owner answers the first pending decision as soon as it is told, as a user would.
    FOnChange = [](TDecisionList& Decisions) {
        if (Decisions.Count() > 0) {
            Decisions.ApplyVerdict(Decisions.Items(0), true);
        }
    };
    std::string Reply;
    ASSERT_TRUE(SendAdd(AddQuery(suitesim::SampleDecision(0)), Reply));
    ASSERT_TRUE(WaitFor([&] { return !Verdicts().empty(); }));
    EXPECT_EQ(Verdicts(), std::vector<std::string>{"verdict id=0 allow"});
    EXPECT_EQ(FDaemon->Decisions().Count(), 0);
}

} // namespace
} // namespace vx::decisions::test
