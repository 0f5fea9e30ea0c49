#include "decisions/Decision.h"
#include "decisions/MonitorSender.h"
#include "decisions/Verdict.h"
#include "health/HttpClient.h"
#include "health/InternetErrors.h"
#include "health/ServiceTester.h"
#include "httpservice/MachineKey.h"
#include "suite-sim/SampleDecisions.h"
#include "suite-sim/SimOptions.h"
#include "suite-sim/SimServices.h"
#include "suite-sim/TrayAdd.h"
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
        for (int attempt = 0; attempt < 200; ++attempt) {
            health::TqxInternetHTTP client;
            client.SetTimeouts(1000ms, 100ms);
            std::string stream;
            client.Get("http://127.0.0.1:" + std::to_string(Port) + "/log", stream);
            if (client.LastError() != health::ErrorInternetCannotConnect) {
                return;
            }
            std::this_thread::sleep_for(10ms);
        }
        FAIL() << "service did not start on port " << Port;
    }

    // Request threads free themselves; none may outlive the test.
    ~TRunningService() {
        if (Daemon) {
            const auto threads = Daemon->RequestThreads();
            Daemon.reset();
            EXPECT_TRUE(threads->WaitBelow(1, 5s));
        }
    }
};

class SuiteSim : public ::testing::Test {
protected:
    void SetUp() override { httpservice::SetMachineKey("00331-10000-00001-AA742"); }
    void TearDown() override { httpservice::ClearMachineKey(); }
};

TEST_F(SuiteSim, ServicesAnswerTheirTokensOrAWrongOne) {
    health::TWebThreadTester tester;
    std::vector<std::unique_ptr<TRunningService>> services;
    for (const auto& info : SimulatedServices()) {
        auto service = std::make_unique<TRunningService>();
        service->Behaviour->ServiceName = info.ServiceName;
        service->Behaviour->Corrupt = std::string(info.OptionName) == "scanner";
        service->Start();
        tester.AddTest(service->Port, info.ServiceName, info.OptionName);
        services.push_back(std::move(service));
    }
    EXPECT_FALSE(tester.TestAll());
    EXPECT_EQ(tester.GetStatusByName("VXUpdSvc"), health::tsWorking);
    EXPECT_EQ(tester.GetStatusByName("VXFWSvc"), health::tsWorking);
    EXPECT_EQ(tester.GetStatusByName("VXFSSvc"), health::tsCorrupted);
    EXPECT_EQ(tester.GetStatusByName("VXMonSvc"), health::tsWorking);
    EXPECT_EQ(tester.Messages(),
              std::vector<std::string>{"scanner: integrity check shows possible corruption"});
}

TEST_F(SuiteSim, HangingServiceNeverAnswers) {
    TRunningService service;
    service.Behaviour->ServiceName = "VXFWSvc";
    service.Behaviour->Hang = true;
    service.Start();
    health::TqxInternetHTTP client;
    client.SetTimeouts(1000ms, 300ms);
    std::string stream;
    EXPECT_FALSE(client.Get("http://127.0.0.1:" + std::to_string(service.Port) + "/integrity-local",
                            stream));
    EXPECT_EQ(client.LastError(), health::ErrorInternetTimeout);
}

TEST_F(SuiteSim, MonitorTakesVerdictsAsConfigured) {
    struct TCase {
        const char* Name;
        std::string Reply;
        bool Answer404;
        bool Result;
    } cases[] = {
        {"accepts", "1", false, true},
        {"refuses", "0", false, false},
        {"not found", "1", true, false},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        TRunningService monitor;
        std::mutex lock;
        std::vector<std::string> lines;
        monitor.Behaviour->ServiceName = "VXMonSvc";
        monitor.Behaviour->IsMonitor = true;
        monitor.Behaviour->MonitorReply = testCase.Reply;
        monitor.Behaviour->Monitor404 = testCase.Answer404;
        monitor.Behaviour->OnMonitorLine = [&](const std::string& line) {
            std::lock_guard guard(lock);
            lines.push_back(line);
        };
        monitor.Start();
        std::string reply;
        EXPECT_EQ(decisions::SendDecisionVerdict(4294967295u, true, reply, monitor.Port),
                  testCase.Result);
        EXPECT_EQ(decisions::SendDecisionVerdict(12, false, reply, monitor.Port), testCase.Result);
        std::lock_guard guard(lock);
        if (testCase.Answer404) {
            EXPECT_TRUE(lines.empty());
        } else {
            EXPECT_EQ(reply, testCase.Reply);
            EXPECT_EQ(lines, (std::vector<std::string>{"verdict id=4294967295 allow",
                                                       "verdict id=12 deny"}));
        }
    }
}

// Live Protection switched off and on: each request is printed, the state follows, and a
// malformed request changes nothing.
TEST_F(SuiteSim, MonitorTakesLiveProtection) {
    TRunningService monitor;
    std::mutex lock;
    std::vector<std::string> lines;
    monitor.Behaviour->ServiceName = "VXMonSvc";
    monitor.Behaviour->IsMonitor = true;
    monitor.Behaviour->OnMonitorLine = [&](const std::string& line) {
        std::lock_guard guard(lock);
        lines.push_back(line);
    };
    monitor.Start();
    std::string reason;
    ASSERT_TRUE(decisions::DeliverMonitorRequest(decisions::TMonitorRequest::LiveProtection(false),
                                                 monitor.Port, reason))
        << reason;
    EXPECT_FALSE(monitor.Behaviour->LiveProtection);
    std::string body;
    std::int32_t error = 0;
    EXPECT_TRUE(health::HttpGetFromHost("127.0.0.1", monitor.Port, "/liveprotection?enabled=yes",
                                        body, error));
    EXPECT_FALSE(monitor.Behaviour->LiveProtection);
    ASSERT_TRUE(decisions::DeliverMonitorRequest(decisions::TMonitorRequest::LiveProtection(true),
                                                 monitor.Port, reason))
        << reason;
    EXPECT_TRUE(monitor.Behaviour->LiveProtection);
    std::lock_guard guard(lock);
    EXPECT_EQ(lines, (std::vector<std::string>{"live protection off", "live protection on"}));
}

TEST_F(SuiteSim, MonitorRejectsMalformedVerdictsAndOtherServicesHaveNoVerdicts) {
    TRunningService monitor;
    monitor.Behaviour->ServiceName = "VXMonSvc";
    monitor.Behaviour->IsMonitor = true;
    monitor.Start();
    TRunningService updater;
    updater.Behaviour->ServiceName = "VXUpdSvc";
    updater.Start();
    struct TCase {
        int Port;
        std::string Path;
        std::int32_t Error;
        std::string Body;
    } cases[] = {
        {monitor.Port, "/applydecision?decisionid=x&decision=allow", 0, ""},
        {monitor.Port, "/other", health::ErrorNotFound, ""},
        {updater.Port, "/applydecision?decisionid=1&decision=allow", health::ErrorNotFound, ""},
    };
    for (const auto& testCase : cases) {
        std::string body;
        std::int32_t error = -1;
        health::HttpGetFromHost("127.0.0.1", testCase.Port, testCase.Path, body, error);
        EXPECT_EQ(error, testCase.Error) << testCase.Path;
        EXPECT_EQ(body, testCase.Body) << testCase.Path;
    }
}

TEST(SuiteSimOptions, ParsesWhatTheHelpTextSays) {
    const TSimOptions defaults = ParseSimOptions({});
    EXPECT_EQ(defaults.Services,
              (std::set<std::string>{"update", "firewall", "scanner", "monitor"}));
    EXPECT_EQ(defaults.MonitorReply, "1");
    EXPECT_EQ(defaults.RaiseSeconds, 0);
    EXPECT_FALSE(defaults.AddQuery);

    const TSimOptions set = ParseSimOptions({"--services", "monitor,scanner", "--corrupt",
                                             "scanner", "--hang", "update", "--monitor-reply", "0",
                                             "--monitor-404", "--raise", "5", "--add", "module=a"});
    EXPECT_EQ(set.Services, (std::set<std::string>{"monitor", "scanner"}));
    EXPECT_EQ(set.Corrupt, std::set<std::string>{"scanner"});
    EXPECT_EQ(set.Hang, std::set<std::string>{"update"});
    EXPECT_EQ(set.MonitorReply, "0");
    EXPECT_TRUE(set.Monitor404);
    EXPECT_EQ(set.RaiseSeconds, 5);
    EXPECT_EQ(set.AddQuery.value_or(""), "module=a");
    EXPECT_TRUE(ParseSimOptions({"--help"}).Help);

    const std::vector<std::vector<std::string>> bad{
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
    for (const auto& args : bad) {
        EXPECT_THROW(ParseSimOptions(args), EUsage) << args[0];
    }
    EXPECT_NE(std::string(SimUsageText()).find("--monitor-404"), std::string::npos);
}

TEST(SuiteSimSamples, SamplesAreVariedAndComplete) {
    std::set<std::string> types;
    std::set<std::string> classes;
    for (std::size_t i = 0; i < 5; ++i) {
        const auto fields = SampleDecision(i);
        EXPECT_TRUE(decisions::TDecision::HasRequiredKeys(fields)) << i;
        types.insert(decisions::ValueOf(fields, "decisiontype"));
        classes.insert(decisions::ValueOf(fields, "logclass"));
    }
    EXPECT_EQ(types.size(), 3u);
    EXPECT_GE(classes.size(), 4u);
    EXPECT_EQ(SampleDecision(5), SampleDecision(0));
}

TEST(SuiteSimSamples, AddReachesTheTrayAndReportsItsAnswer) {
    struct TCase {
        const char* Name;
        std::string Raw;
        bool Taken;
        std::string Reply;
    } cases[] = {
        {"taken", test::TTestPeer::Reply(200, "id=3\r\nitem=\r\n"), true, "id=3\r\nitem=\r\n"},
        {"refused", "HTTP/1.0 504\r\n\r\n", false, ""},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        test::TTestPeer tray(testCase.Raw);
        std::string reply;
        EXPECT_EQ(SendAddToTray("module=a&information=b", reply, tray.Port()), testCase.Taken);
        EXPECT_EQ(reply, testCase.Reply);
        EXPECT_EQ(tray.Requests().at(0).substr(0, 36), "GET /add?module=a&information=b HTTP");
    }
    std::string reply;
    EXPECT_FALSE(SendAddToTray("module=a", reply, test::FreeLoopbackPort()));
    EXPECT_EQ(reply, "Could not connect to server!");
}

// Answers the real tray does not give, for suite-sim --add: each is reported, never taken.
TEST(SuiteSimSamples, AddOptionReportsAnswersThatTakeNoDecision) {
    struct TCase {
        const char* Name;
        std::string Raw; // empty: nothing listens
        std::string StatusLine;
        bool Taken;
        std::string Reason;
    } const cases[] = {
        {"taken", test::TTestPeer::Reply(200, "id=3\r\n"), "HTTP/1.0 200 X", true, ""},
        {"a failed handler", test::TTestPeer::Reply(500, ""), "HTTP/1.0 500 X", false,
         "not accepted: the tray answered HTTP/1.0 500 X"},
        {"no identifier", test::TTestPeer::Reply(200, "busy"), "HTTP/1.0 200 X", false,
         "not accepted: the tray's answer names no new decision"},
        {"not HTTP", "garbage", "", false,
         "no answer from the tray: 12152: The server returned an invalid or unrecognized "
         "response"},
        {"nothing listens", "", "", false, "no answer from the tray: Could not connect to server!"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        std::unique_ptr<test::TTestPeer> tray;
        int port = test::FreeLoopbackPort();
        if (!testCase.Raw.empty()) {
            tray = std::make_unique<test::TTestPeer>(testCase.Raw);
            port = tray->Port();
        }
        const TTrayAnswer answer = AddToTray("module=a&information=b c", port);
        EXPECT_EQ(answer.StatusLine, testCase.StatusLine);
        EXPECT_EQ(Accepted(answer), testCase.Taken);
        if (!testCase.Taken) {
            EXPECT_EQ(RefusalReason("module=a&information=b c", answer), testCase.Reason);
        }
        if (tray) {
            // The blank cannot stand in the request line.
            EXPECT_EQ(tray->Requests().at(0).substr(0, 49),
                      "GET /add?module=a&information=b%20c HTTP/1.0\r\nHos");
        }
    }
}

} // namespace
} // namespace vx::suitesim
