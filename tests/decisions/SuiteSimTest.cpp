#include "decisions/Decision.h"
#include "decisions/Verdict.h"
#include "health/HttpClient.h"
#include "health/InternetErrors.h"
#include "health/ServiceTester.h"
#include "httpservice/MachineKey.h"
#include "suite-sim/SampleDecisions.h"
#include "suite-sim/SimOptions.h"
#include "suite-sim/SimServices.h"
#include "support/LoopbackPort.h"
#include "support/TestPeer.h"

#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include <gtest/gtest.h>

namespace vx::suitesim {
namespace {

using namespace std::chrono_literals;

// One simulated service on a free port, started and listening.
struct TRunningService {
    std::shared_ptr<TSimBehaviour> Behaviour = std::make_shared<TSimBehaviour>();
    int Port = test::FreeLoopbackPort();
    TThreadPtr<TSimDaemon> Daemon;

    void Start() {
        Daemon = StartThread<TSimDaemon>(Port, Behaviour);
        // The daemon binds on its own thread: wait until it takes connections. A short
        // time-out, because a hanging service takes them but never answers.
        for (int Try = 0; Try < 200; ++Try) {
            health::TqxInternetHTTP Client;
            Client.SetTimeouts(1000ms, 100ms);
            std::string Stream;
            Client.Get("http://127.0.0.1:" + std::to_string(Port) + "/log", Stream);
            if (Client.LastError() != health::ErrorInternetCannotConnect) {
                return;
            }
            std::this_thread::sleep_for(10ms);
        }
        FAIL() << "service did not start on port " << Port;
    }

    // Request threads free themselves; none may outlive the test.
    ~TRunningService() {
        if (Daemon) {
            const auto Threads = Daemon->RequestThreads();
            Daemon.reset();
            EXPECT_TRUE(Threads->WaitBelow(1, 5s));
        }
    }
};

class SuiteSim : public ::testing::Test {
protected:
    void SetUp() override { httpservice::SetMachineKey("00331-10000-00001-AA742"); }
    void TearDown() override { httpservice::ClearMachineKey(); }
};

TEST_F(SuiteSim, ServicesAnswerTheirTokensOrAWrongOne) {
    health::TWebThreadTester Tester;
    std::vector<std::unique_ptr<TRunningService>> Services;
    for (const auto& Info : SimulatedServices()) {
        auto Service = std::make_unique<TRunningService>();
        Service->Behaviour->ServiceName = Info.ServiceName;
        Service->Behaviour->Corrupt = std::string(Info.OptionName) == "scanner";
        Service->Start();
        Tester.AddTest(Service->Port, Info.ServiceName, Info.OptionName);
        Services.push_back(std::move(Service));
    }
    EXPECT_FALSE(Tester.TestAll());
    EXPECT_EQ(Tester.GetStatusByName("VXUpdSvc"), health::tsWorking);
    EXPECT_EQ(Tester.GetStatusByName("VXFWSvc"), health::tsWorking);
    EXPECT_EQ(Tester.GetStatusByName("VXFSSvc"), health::tsCorrupted);
    EXPECT_EQ(Tester.GetStatusByName("VXMonSvc"), health::tsWorking);
    EXPECT_EQ(Tester.Messages(),
              std::vector<std::string>{"scanner: integrity check shows possible corruption"});
}

TEST_F(SuiteSim, HangingServiceNeverAnswers) {
    TRunningService Service;
    Service.Behaviour->ServiceName = "VXFWSvc";
    Service.Behaviour->Hang = true;
    Service.Start();
    health::TqxInternetHTTP Client;
    Client.SetTimeouts(1000ms, 300ms);
    std::string Stream;
    EXPECT_FALSE(Client.Get("http://127.0.0.1:" + std::to_string(Service.Port) + "/integrity-local",
                            Stream));
    EXPECT_EQ(Client.LastError(), health::ErrorInternetTimeout);
}

TEST_F(SuiteSim, MonitorTakesVerdictsAsConfigured) {
    struct TCase {
        const char* Name;
        std::string Reply;
        bool Answer404;
        bool Result;
    } Cases[] = {
        {"accepts", "1", false, true},
        {"refuses", "0", false, false},
        {"not found", "1", true, false},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TRunningService Monitor;
        std::mutex Lock;
        std::vector<std::string> Lines;
        Monitor.Behaviour->ServiceName = "VXMonSvc";
        Monitor.Behaviour->IsMonitor = true;
        Monitor.Behaviour->MonitorReply = Case.Reply;
        Monitor.Behaviour->Monitor404 = Case.Answer404;
        Monitor.Behaviour->OnVerdict = [&](const std::string& Line) {
            std::lock_guard Guard(Lock);
            Lines.push_back(Line);
        };
        Monitor.Start();
        std::string Reply;
        EXPECT_EQ(decisions::SendDecisionVerdict(4294967295u, true, Reply, Monitor.Port),
                  Case.Result);
        EXPECT_EQ(decisions::SendDecisionVerdict(12, false, Reply, Monitor.Port), Case.Result);
        std::lock_guard Guard(Lock);
        if (Case.Answer404) {
            EXPECT_TRUE(Lines.empty());
        } else {
            EXPECT_EQ(Reply, Case.Reply);
            EXPECT_EQ(Lines, (std::vector<std::string>{"verdict id=4294967295 allow",
                                                       "verdict id=12 deny"}));
        }
    }
}

TEST_F(SuiteSim, MonitorRejectsMalformedVerdictsAndOtherServicesHaveNoVerdicts) {
    TRunningService Monitor;
    Monitor.Behaviour->ServiceName = "VXMonSvc";
    Monitor.Behaviour->IsMonitor = true;
    Monitor.Start();
    TRunningService Updater;
    Updater.Behaviour->ServiceName = "VXUpdSvc";
    Updater.Start();
    struct TCase {
        int Port;
        std::string Path;
        std::int32_t Error;
        std::string Body;
    } Cases[] = {
        {Monitor.Port, "/applydecision?decisionid=x&decision=allow", 0, ""},
        {Monitor.Port, "/other", health::ErrorNotFound, ""},
        {Updater.Port, "/applydecision?decisionid=1&decision=allow", health::ErrorNotFound, ""},
    };
    for (const auto& Case : Cases) {
        std::string Body;
        std::int32_t Error = -1;
        health::HttpGetFromHost("127.0.0.1", Case.Port, Case.Path, Body, Error);
        EXPECT_EQ(Error, Case.Error) << Case.Path;
        EXPECT_EQ(Body, Case.Body) << Case.Path;
    }
}

TEST(SuiteSimOptions, ParsesWhatTheHelpTextSays) {
    const TSimOptions Defaults = ParseSimOptions({});
    EXPECT_EQ(Defaults.Services,
              (std::set<std::string>{"update", "firewall", "scanner", "monitor"}));
    EXPECT_EQ(Defaults.MonitorReply, "1");
    EXPECT_EQ(Defaults.RaiseSeconds, 0);
    EXPECT_FALSE(Defaults.AddQuery);

    const TSimOptions Set = ParseSimOptions({"--services", "monitor,scanner", "--corrupt",
                                             "scanner", "--hang", "update", "--monitor-reply", "0",
                                             "--monitor-404", "--raise", "5", "--add", "module=a"});
    EXPECT_EQ(Set.Services, (std::set<std::string>{"monitor", "scanner"}));
    EXPECT_EQ(Set.Corrupt, std::set<std::string>{"scanner"});
    EXPECT_EQ(Set.Hang, std::set<std::string>{"update"});
    EXPECT_EQ(Set.MonitorReply, "0");
    EXPECT_TRUE(Set.Monitor404);
    EXPECT_EQ(Set.RaiseSeconds, 5);
    EXPECT_EQ(Set.AddQuery.value_or(""), "module=a");
    EXPECT_TRUE(ParseSimOptions({"--help"}).Help);

    const std::vector<std::vector<std::string>> Bad{
        {"--services", "monitor,,scanner"},
        {"--services", "tray"},
        {"--corrupt", "Scanner"},
        {"--hang"},
        {"--raise", "0"},
        {"--raise", "2s"},
        {"--raise", "99999999999"},
        {"--unknown"},
        {"monitor"},
    };
    for (const auto& Args : Bad) {
        EXPECT_THROW(ParseSimOptions(Args), EUsage) << Args[0];
    }
    EXPECT_NE(std::string(SimUsageText()).find("--monitor-404"), std::string::npos);
}

TEST(SuiteSimSamples, SamplesAreVariedAndComplete) {
    std::set<std::string> Types;
    std::set<std::string> Classes;
    for (std::size_t I = 0; I < 5; ++I) {
        const auto Fields = SampleDecision(I);
        EXPECT_TRUE(decisions::TDecision::HasRequiredKeys(Fields)) << I;
        Types.insert(decisions::ValueOf(Fields, "decisiontype"));
        Classes.insert(decisions::ValueOf(Fields, "logclass"));
    }
    EXPECT_EQ(Types.size(), 3u);
    EXPECT_GE(Classes.size(), 4u);
    EXPECT_EQ(SampleDecision(5), SampleDecision(0));
}

TEST(SuiteSimSamples, AddReachesTheTrayAndReportsItsAnswer) {
    struct TCase {
        const char* Name;
        std::string Raw;
        bool Taken;
        std::string Reply;
    } Cases[] = {
        {"taken", test::TTestPeer::Reply(200, "id=3\r\nitem=\r\n"), true, "id=3\r\nitem=\r\n"},
        {"refused", "HTTP/1.0 504\r\n\r\n", false, ""},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        test::TTestPeer Tray(Case.Raw);
        std::string Reply;
        EXPECT_EQ(SendAddToTray("module=a&information=b", Reply, Tray.Port()), Case.Taken);
        EXPECT_EQ(Reply, Case.Reply);
        EXPECT_EQ(Tray.Requests().at(0).substr(0, 36), "GET /add?module=a&information=b HTTP");
    }
    std::string Reply;
    EXPECT_FALSE(SendAddToTray("module=a", Reply, test::FreeLoopbackPort()));
    EXPECT_EQ(Reply, "Could not connect to server!");
}

} // namespace
} // namespace vx::suitesim
