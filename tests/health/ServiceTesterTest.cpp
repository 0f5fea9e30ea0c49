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

    static std::string Token(const std::string& Name) { return httpservice::IntegrityToken(Name); }
};

TEST_F(ServiceTester, EachAnswerGivesItsStatusAndMessage) {
    struct TCase {
        const char* Name;
        std::string Raw; // empty: nothing listens
        TServiceTestStatus Status;
        std::string Message; // empty: none
    };
    const TCase Cases[] = {
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
    std::vector<std::unique_ptr<TTestPeer>> Peers;
    TWebThreadTester Tester;
    std::vector<std::string> Expected;
    for (const auto& Case : Cases) {
        int Port = test::FreeLoopbackPort();
        if (!Case.Raw.empty()) {
            Peers.push_back(std::make_unique<TTestPeer>(Case.Raw));
            Port = Peers.back()->Port();
        }
        Tester.AddTest(Port, Case.Name, Case.Name);
        if (!Case.Message.empty()) {
            Expected.push_back(Case.Message);
        }
    }
    EXPECT_FALSE(Tester.TestAll());
    for (const auto& Case : Cases) {
        EXPECT_EQ(Tester.GetStatusByName(Case.Name), Case.Status) << Case.Name;
    }
    EXPECT_EQ(Tester.Messages(), Expected);
    for (const auto& Peer : Peers) {
        EXPECT_EQ(Peer->Requests().at(0).substr(0, 30), "GET /integrity-local HTTP/1.1\r");
    }
}

TEST_F(ServiceTester, AllWorkingAndLaterRunsReplaceResults) {
    auto First = std::make_unique<TTestPeer>(TTestPeer::Reply(200, Token("A")));
    TTestPeer Second(TTestPeer::Reply(200, Token("B")));
    TWebThreadTester Tester;
    Tester.AddTest(First->Port(), "A", "Alpha");
    Tester.AddTest(Second.Port(), "B", "Beta");
    EXPECT_TRUE(Tester.TestAll());
    EXPECT_TRUE(Tester.Messages().empty());

    const int FirstPort = First->Port();
    First.reset(); // the service goes away
    EXPECT_FALSE(Tester.TestAll());
    EXPECT_EQ(Tester.GetStatusByName("A"), tsUnavailable);
    EXPECT_EQ(Tester.GetStatusByName("B"), tsWorking);
    EXPECT_EQ(Tester.Messages(), std::vector<std::string>{"Alpha: Could not connect to server!"});
    EXPECT_EQ(Tester.Tests(0).Port, FirstPort);

    // A single probe neither clears nor writes the run's messages on success.
    EXPECT_TRUE(Tester.TestService(1));
    EXPECT_EQ(Tester.Messages().size(), 1u);
    EXPECT_FALSE(Tester.TestService(2));
    EXPECT_FALSE(Tester.TestService(-1));
}

TEST_F(ServiceTester, ProbeThatRaisesKeepsTheStatusAndAddsNoMessage) {
    TTestPeer Peer(TTestPeer::Reply(200, "x"));
    TWebThreadTester Tester;
    Tester.AddTest(Peer.Port(), "", "Nameless"); // no token can be made for an empty name
    EXPECT_FALSE(Tester.TestAll());
    EXPECT_EQ(Tester.GetStatusByName(""), tsUntested);
    EXPECT_TRUE(Tester.Messages().empty());
}

TEST_F(ServiceTester, SuiteTesterHoldsTheFiveServices) {
    const TKorvex2WebThreadTester Tester;
    ASSERT_EQ(Tester.TestCount(), 5);
    const TTestSet Expected[] = {
        {21321, "VXUpdSvc", "Updater", tsUntested}, {21322, "VXFWSvc", "Firewall", tsUntested},
        {21323, "VXFSSvc", "Scanner", tsUntested},  {21324, "VXTray", "Tray", tsUntested},
        {21325, "VXMonSvc", "Monitor", tsUntested},
    };
    for (int I = 0; I < 5; ++I) {
        EXPECT_EQ(Tester.Tests(I).Port, Expected[I].Port);
        EXPECT_EQ(Tester.Tests(I).ServiceName, Expected[I].ServiceName);
        EXPECT_EQ(Tester.Tests(I).DisplayName, Expected[I].DisplayName);
        EXPECT_EQ(Tester.GetStatusByIndex(I), tsUntested);
    }
    EXPECT_EQ(Tester.GetStatusByName("vxtray"), tsNotFound);
    EXPECT_EQ(Tester.GetStatusByName("VXTray "), tsNotFound);
    EXPECT_EQ(Tester.GetStatusByIndex(5), tsNotFound);
    EXPECT_EQ(Tester.GetStatusByIndex(-1), tsNotFound);
    EXPECT_STREQ(ServiceStatusWords[tsNotFound], "not found");
    EXPECT_STREQ(SuiteServiceCaptions[2], "System Monitor");
}

// The tray index reaches a test only through its name.
TEST_F(ServiceTester, TrayIndexMapsThroughServiceNames) {
    TTestPeer Scanner(TTestPeer::Reply(200, Token("VXFSSvc")));
    TTestPeer Firewall(TTestPeer::Reply(200, "wrong"));
    TTestPeer Monitor(TTestPeer::Reply(404, ""));
    TWebThreadTester Tester;
    const int Down = test::FreeLoopbackPort();
    Tester.AddTest(Down, "VXUpdSvc", "Updater");
    Tester.AddTest(Firewall.Port(), "VXFWSvc", "Firewall");
    Tester.AddTest(Scanner.Port(), "VXFSSvc", "Scanner");
    Tester.AddTest(Down, "VXTray", "Tray");
    Tester.AddTest(Monitor.Port(), "VXMonSvc", "Monitor");
    Tester.TestAll();
    EXPECT_EQ(Tester.GetStatusByIndex(0), tsUnavailable);
    EXPECT_EQ(Tester.GetStatusByIndex(1), tsWorking);     // position 2
    EXPECT_EQ(Tester.GetStatusByIndex(2), tsUnavailable); // the monitor's 404
    EXPECT_EQ(Tester.GetStatusByIndex(3), tsCorrupted);   // position 1
    EXPECT_EQ(Tester.GetStatusByIndex(4), tsUnavailable);
    EXPECT_EQ(Tester.Messages(),
              (std::vector<std::string>{"Updater: Could not connect to server!",
                                        "Firewall: integrity check shows possible corruption",
                                        "Tray: Could not connect to server!",
                                        "Monitor: File not found on server!"}));
}

} // namespace
} // namespace vx::health
