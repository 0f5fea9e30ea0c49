#include "health/ServiceTester.h"

#include "httpservice/IntegrityToken.h"
#include "httpservice/MachineKey.h"
#include "support/LoopbackPort.h"
#include "support/TestPeer.h"

#include <memory>

#include <gtest/gtest.h>

namespace vx::health {
namespace {

using test::TTestPeer;

class ServiceTester : public ::testing::Test {
protected:
    void SetUp() override { httpservice::SetMachineKey("00330-80000-00000-AA123"); }
    void TearDown() override { httpservice::ClearMachineKey(); }

    static std::string Token(const std::string& name) { return httpservice::IntegrityToken(name); }
};

TEST_F(ServiceTester, EachAnswerGivesItsStatusAndMessage) {
    struct TCase {
        const char* Name;
        std::string Raw; // empty: nothing listens
        TServiceTestStatus Status;
        std::string Message; // empty: none
    };
    const TCase cases[] = {
        {"Right", TTestPeer::Reply(200, Token("Right")), tsWorking, ""},
        {"Wrong", TTestPeer::Reply(200, Token("Other")), tsCorrupted,
         "Wrong: integrity check shows possible corruption"},
        {"Missing", TTestPeer::Reply(404, Token("Missing")), tsUnavailable,
         "Missing: File not found on server!"},
        {"Failing", TTestPeer::Reply(500, Token("Failing")), tsWorking, ""},
        {"Trailing", TTestPeer::Reply(200, Token("Trailing") + "\r\n"), tsCorrupted,
         "Trailing: integrity check shows possible corruption"},
        {"Upper", TTestPeer::Reply(200, "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"), tsCorrupted,
         "Upper: integrity check shows possible corruption"},
        {"Empty", TTestPeer::Reply(200, ""), tsCorrupted,
         "Empty: integrity check shows possible corruption"},
        {"Down", "", tsUnavailable, "Down: Could not connect to server!"},
        {"Garbage", "garbage", tsUnavailable,
         "Garbage: 12152: The server returned an invalid or unrecognized response\r\n"},
    };
    std::vector<std::unique_ptr<TTestPeer>> peers;
    TWebThreadTester tester;
    std::vector<std::string> expected;
    for (const auto& testCase : cases) {
        int port = test::FreeLoopbackPort();
        if (!testCase.Raw.empty()) {
            peers.push_back(std::make_unique<TTestPeer>(testCase.Raw));
            port = peers.back()->Port();
        }
        tester.AddTest(port, testCase.Name, testCase.Name);
        if (!testCase.Message.empty()) {
            expected.push_back(testCase.Message);
        }
    }
    EXPECT_FALSE(tester.TestAll());
    for (const auto& testCase : cases) {
        EXPECT_EQ(tester.GetStatusByName(testCase.Name), testCase.Status) << testCase.Name;
    }
    EXPECT_EQ(tester.Messages(), expected);
    for (const auto& peer : peers) {
        EXPECT_EQ(peer->Requests().at(0).substr(0, 30), "GET /integrity-local HTTP/1.1\r");
    }
}

TEST_F(ServiceTester, AllWorkingAndLaterRunsReplaceResults) {
    auto first = std::make_unique<TTestPeer>(TTestPeer::Reply(200, Token("A")));
    TTestPeer second(TTestPeer::Reply(200, Token("B")));
    TWebThreadTester tester;
    tester.AddTest(first->Port(), "A", "Alpha");
    tester.AddTest(second.Port(), "B", "Beta");
    EXPECT_TRUE(tester.TestAll());
    EXPECT_TRUE(tester.Messages().empty());

    const int firstPort = first->Port();
    first.reset(); // the service goes away
    EXPECT_FALSE(tester.TestAll());
    EXPECT_EQ(tester.GetStatusByName("A"), tsUnavailable);
    EXPECT_EQ(tester.GetStatusByName("B"), tsWorking);
    EXPECT_EQ(tester.Messages(), std::vector<std::string>{"Alpha: Could not connect to server!"});
    EXPECT_EQ(tester.Tests(0).Port, firstPort);

    // A single probe neither clears nor writes the run's messages on success.
    EXPECT_TRUE(tester.TestService(1));
    EXPECT_EQ(tester.Messages().size(), 1u);
    EXPECT_FALSE(tester.TestService(2));
    EXPECT_FALSE(tester.TestService(-1));
}

TEST_F(ServiceTester, ProbeThatRaisesKeepsTheStatusAndAddsNoMessage) {
    TTestPeer peer(TTestPeer::Reply(200, "x"));
    TWebThreadTester tester;
    tester.AddTest(peer.Port(), "", "Nameless"); // no token can be made for an empty name
    EXPECT_FALSE(tester.TestAll());
    EXPECT_EQ(tester.GetStatusByName(""), tsUntested);
    EXPECT_TRUE(tester.Messages().empty());
}

TEST_F(ServiceTester, SuiteTesterHoldsTheFiveServices) {
    const TKorvex2WebThreadTester tester;
    ASSERT_EQ(tester.TestCount(), 5);
    const TTestSet expected[] = {
        {21321, "VXUpdSvc", "Updater", tsUntested}, {21322, "VXFWSvc", "Firewall", tsUntested},
        {21323, "VXFSSvc", "Scanner", tsUntested},  {21324, "VXTray", "Tray", tsUntested},
        {21325, "VXMonSvc", "Monitor", tsUntested},
    };
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(tester.Tests(i).Port, expected[i].Port);
        EXPECT_EQ(tester.Tests(i).ServiceName, expected[i].ServiceName);
        EXPECT_EQ(tester.Tests(i).DisplayName, expected[i].DisplayName);
        EXPECT_EQ(tester.GetStatusByIndex(i), tsUntested);
    }
    EXPECT_EQ(tester.GetStatusByName("vxtray"), tsNotFound);
    EXPECT_EQ(tester.GetStatusByName("VXTray "), tsNotFound);
    EXPECT_EQ(tester.GetStatusByIndex(5), tsNotFound);
    EXPECT_EQ(tester.GetStatusByIndex(-1), tsNotFound);
    EXPECT_STREQ(ServiceStatusWords[tsNotFound], "not found");
    EXPECT_STREQ(SuiteServiceCaptions[2], "System Monitor");
}

// The tray index reaches a test only through its name.
TEST_F(ServiceTester, TrayIndexMapsThroughServiceNames) {
    TTestPeer scanner(TTestPeer::Reply(200, Token("VXFSSvc")));
    TTestPeer firewall(TTestPeer::Reply(200, "wrong"));
    TTestPeer monitor(TTestPeer::Reply(404, ""));
    TWebThreadTester tester;
    const int down = test::FreeLoopbackPort();
    tester.AddTest(down, "VXUpdSvc", "Updater");
    tester.AddTest(firewall.Port(), "VXFWSvc", "Firewall");
    tester.AddTest(scanner.Port(), "VXFSSvc", "Scanner");
    tester.AddTest(down, "VXTray", "Tray");
    tester.AddTest(monitor.Port(), "VXMonSvc", "Monitor");
    tester.TestAll();
    EXPECT_EQ(tester.GetStatusByIndex(0), tsUnavailable);
    EXPECT_EQ(tester.GetStatusByIndex(1), tsWorking);     // position 2
    EXPECT_EQ(tester.GetStatusByIndex(2), tsUnavailable); // the monitor's 404
    EXPECT_EQ(tester.GetStatusByIndex(3), tsCorrupted);   // position 1
    EXPECT_EQ(tester.GetStatusByIndex(4), tsUnavailable);
    EXPECT_EQ(tester.Messages(),
              (std::vector<std::string>{"Updater: Could not connect to server!",
                                        "Firewall: integrity check shows possible corruption",
                                        "Tray: Could not connect to server!",
                                        "Monitor: File not found on server!"}));
}

// Once cancelled, the probe in flight ends and the tests after it are not probed.
TEST_F(ServiceTester, ACancelledRoundStopsAtTheProbeInFlight) {
    TTestPeer first(TTestPeer::Reply(200, Token("First")));
    TTestPeer hung;
    hung.SetHang();
    TTestPeer last(TTestPeer::Reply(200, Token("Last")));
    TWebThreadTester tester;
    tester.AddTest(first.Port(), "First", "First");
    tester.AddTest(hung.Port(), "Hung", "Hung");
    tester.AddTest(last.Port(), "Last", "Last");
    bool cancel = false;
    tester.SetCancelled([&] { return cancel || (cancel = hung.Connections() > 0); });

    EXPECT_FALSE(tester.TestAll());
    EXPECT_EQ(tester.GetStatusByName("First"), tsWorking);
    EXPECT_EQ(tester.GetStatusByName("Hung"), tsUnavailable);
    EXPECT_EQ(tester.GetStatusByName("Last"), tsUntested);
    EXPECT_EQ(last.Connections(), 0);
}

} // namespace
} // namespace vx::health
