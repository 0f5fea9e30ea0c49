#include "DecisionServerFixture.h"
#include "httpservice/IntegrityToken.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace vx::decisions::test {
namespace {

using TLines = std::vector<std::string>;

constexpr const char* ContentType = "Content-type: text/plain";

std::string Get(const std::string& path) {
    return "GET " + path + " HTTP/1.0\r\n\r\n";
}

using DecisionServer = DecisionServerFixture;

TEST_F(DecisionServer, RootIsAnsweredAsStatus) {
    const TReply reply = Ask(Get("/"));
    EXPECT_EQ(reply.Status, 200);
    ASSERT_FALSE(reply.Headers.empty());
    EXPECT_EQ(reply.Headers[0], ContentType);
    EXPECT_TRUE(reply.HasHeader("Content-length: 0"));
    EXPECT_EQ(reply.Body, "");
}

TEST_F(DecisionServer, StatusShowsEachDecisionsDisplayLines) {
    ASSERT_EQ(Add("module=m&information=i").Status, 200);
    ASSERT_EQ(Add("module=x&information=y&item=it&threatlevel=-3&decisiontype=filescaninfo"
                  "&logclass=deleted&identifiedas=Trojan&category=c&olddata=o&newdata=n")
                  .Status,
              200);
    const TReply reply = Ask(Get("/status"));
    EXPECT_EQ(reply.Status, 200);
    EXPECT_EQ(reply.Headers[0], ContentType);
    EXPECT_EQ(BodyLines(reply.Body), (TLines{"ID: 0",
                                             "Item: ",
                                             "Identified As: ",
                                             "Category: ",
                                             "Threat Level: 5",
                                             "Decision Type: Information",
                                             "Entry Type: custom",
                                             "Module: m",
                                             "Information: i",
                                             "Old data: ",
                                             "New data: ",
                                             "",
                                             "ID: 1",
                                             "Item: it",
                                             "Identified As: Trojan",
                                             "Category: c",
                                             "Threat Level: -3",
                                             "Decision Type: Infected File",
                                             "Entry Type: deleted",
                                             "Module: x",
                                             "Information: y",
                                             "Old data: o",
                                             "New data: n",
                                             ""}));
    // The query of a report is ignored.
    EXPECT_EQ(Ask(Get("/status?module=z&information=z")).Body, reply.Body);
}

TEST_F(DecisionServer, ListShowsPositionAndKeyValueLines) {
    ASSERT_EQ(Add("module=m&information=i").Status, 200);
    const TReply reply = Ask(Get("/list"));
    EXPECT_EQ(reply.Status, 200);
    EXPECT_EQ(reply.Headers[0], ContentType);
    EXPECT_EQ(BodyLines(reply.Body),
              (TLines{"[0]", "id=0", "item=", "identifiedas=", "category=", "threatlevel=5",
                      "decisiontype=information", "logclass=custom", "module=m", "information=i",
                      "olddata=", "newdata=", "index=0", ""}));
}

TEST_F(DecisionServer, AddAnswersTheNewDecisionAndNotifiesOnBothPaths) {
    const TReply reply = Add("module=m&information=i");
    EXPECT_EQ(reply.Status, 200);
    EXPECT_EQ(reply.Headers[0], ContentType);
    const TLines lines = BodyLines(reply.Body);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines.front(), "id=0");
    EXPECT_EQ(lines.back(), "index=0");
    // The request's own notification ran before its answer was sent.
    EXPECT_GE(FCalls, 1);

    ASSERT_TRUE(WaitFor([&] { return FCalls == 2; }));
    WaitPasses(3);
    EXPECT_EQ(FCalls, 2);
    EXPECT_EQ(FDaemon->LoopNotifications, 1);
    EXPECT_EQ(FCountsSeen, (std::vector<int>{1, 1}));

    const TLines second = BodyLines(Add("information=j&module=n&id=99").Body);
    EXPECT_EQ(second.front(), "id=1");
    EXPECT_EQ(second.back(), "index=1");
}

TEST_F(DecisionServer, RejectedRequests) {
    struct {
        const char* Request;
        bool ContentTypeSent;
    } const cases[] = {
        {"GET /add?item=x HTTP/1.0\r\n\r\n", true},
        {"GET /add?module=m HTTP/1.0\r\n\r\n", true},
        {"GET /add?information=i HTTP/1.0\r\n\r\n", true},
        {"GET /add?module HTTP/1.0\r\n\r\n", true},
        {"GET /add HTTP/1.0\r\n\r\n", true},
        {"GET /Status HTTP/1.0\r\n\r\n", true},
        {"GET /ADD?module=m&information=i HTTP/1.0\r\n\r\n", true},
        {"GET /nothing HTTP/1.0\r\n\r\n", true},
        {"GET status HTTP/1.0\r\n\r\n", true},
        {"POST /add HTTP/1.0\r\nContent-Length: 22\r\n\r\nmodule=m&information=i", true},
        {"get /status HTTP/1.0\r\n\r\n", false},
        {"PUT /status HTTP/1.0\r\n\r\n", false},
        {"HEAD / HTTP/1.0\r\n\r\n", false},
    };
    for (const auto& testCase : cases) {
        const TReply reply = Ask(testCase.Request);
        EXPECT_EQ(reply.Status, 504) << testCase.Request;
        EXPECT_EQ(reply.HasHeader(ContentType), testCase.ContentTypeSent) << testCase.Request;
        EXPECT_TRUE(reply.HasHeader("Content-length: 0")) << testCase.Request;
        EXPECT_EQ(reply.Body, "") << testCase.Request;
    }
    WaitPasses(3);
    EXPECT_EQ(FDaemon->Decisions().Count(), 0);
    EXPECT_EQ(FCalls, 0);
}

TEST_F(DecisionServer, AnAddBeyondTheLimitsIsRefusedAndLogged) {
    FDaemon->Decisions().SetLimits({2, 1000});
    EXPECT_EQ(Add("module=m&information=i").Status, 200);
    EXPECT_EQ(Add("module=m&information=i").Status, 200);
    const TReply refused = Add("module=m&information=i");
    EXPECT_EQ(refused.Status, 504);
    EXPECT_TRUE(refused.HasHeader(ContentType));
    EXPECT_EQ(refused.Body, "");
    EXPECT_EQ(FDaemon->Decisions().Count(), 2);
    const auto lines = FDaemon->ServiceLog()->Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Decision not accepted: 2 pending decisions hold 4 bytes of text "
                            "(at most 2 decisions and 1000 bytes)"),
              std::string::npos)
        << lines[0];
    // A verdict makes room again.
    FDaemon->Decisions().Delete(0);
    EXPECT_EQ(Add("module=m&information=i").Status, 200);
}

TEST_F(DecisionServer, PostWithQueryIsTakenAndItsBodyIgnored) {
    const TReply reply =
        Ask("POST /add?module=m&information=i HTTP/1.0\r\nContent-Length: 10\r\n\r\nitem=body!");
    EXPECT_EQ(reply.Status, 200);
    EXPECT_EQ(FDaemon->Decisions().Items(0)->Item, "");
}

TEST_F(DecisionServer, FieldsAreDecodedByValue) {
    struct {
        const char* Query;
        const char* Module;
        const char* Information;
    } const cases[] = {
        {"module=a%0D%0Ainformation=b", "a", "b"},
        {"module=x&information=50%25", "x", "50%"},
        {"module=%4a%4A&information=%09", "JJ", "%09"},
        {"module=%2541&information=%2520", "A", "%20"},
        {"module=a+b&information=%aF", "a+b", "%aF"},
        {"module=r%26d&information=x%3Dy", "r&d", "x=y"},
        {"module=first&module=second&information=", "first", ""},
        {"MODULE=upper&Information=mixed", "upper", "mixed"},
        {"module=%4&information=%", "%4", "%"},
    };
    for (const auto& testCase : cases) {
        const TReply reply = Add(testCase.Query);
        ASSERT_EQ(reply.Status, 200) << testCase.Query;
        const auto decision = FDaemon->Decisions().Items(FDaemon->Decisions().Count() - 1);
        EXPECT_EQ(decision->Module, testCase.Module) << testCase.Query;
        EXPECT_EQ(decision->Information, testCase.Information) << testCase.Query;
        EXPECT_NE(reply.Body.find(std::string("\r\nmodule=") + testCase.Module + "\r\n"),
                  std::string::npos)
            << testCase.Query;
    }
}

TEST_F(DecisionServer, IntegrityTokenIsTheTraysOwn) {
    const TReply reply = Ask(Get("/integrity-local"));
    EXPECT_EQ(reply.Status, 200);
    EXPECT_EQ(reply.Body, httpservice::IntegrityToken("VXTray"));
}

TEST_F(DecisionServer, RequestWithoutProtocolGetsNoHeaders) {
    ASSERT_EQ(Add("module=m&information=i").Status, 200);
    const TReply reply = ParseReply(AskRaw("GET /list\r\n"), false);
    EXPECT_EQ(reply.Status, 200);
    EXPECT_EQ(BodyLines(reply.Body).front(), "[0]");
}

// FLastCount through a whole run: only the loop path moves it, and it stays at 1 after the
// last verdict, so the next add is notified by its request alone.
TEST_F(DecisionServer, LoopNotifiesOnlyWhenThePendingCountChanges) {
    ASSERT_EQ(Add("module=a&information=a").Status, 200);
    ASSERT_TRUE(WaitFor([&] { return FCalls == 2 && FDaemon->LoopNotifications == 1; }));
    EXPECT_EQ(FDaemon->LastCount(), 1u);

    ASSERT_EQ(Add("module=b&information=b").Status, 200);
    ASSERT_EQ(Add("module=c&information=c").Status, 200);
    ASSERT_TRUE(WaitFor([&] { return FDaemon->LastCount() == 3; }));
    WaitPasses(2);

    // A verdict from 3 to 2: the loop notifies.
    int calls = FCalls;
    int loop = FDaemon->LoopNotifications;
    auto& decisions = FDaemon->Decisions();
    ASSERT_TRUE(decisions.Remove(*decisions.Items(0)));
    ASSERT_TRUE(WaitFor([&] { return FDaemon->LastCount() == 2; }));
    WaitPasses(2);
    EXPECT_EQ(FCalls, calls + 1);
    EXPECT_EQ(FDaemon->LoopNotifications, loop + 1);

    ASSERT_TRUE(decisions.Remove(*decisions.Items(0)));
    ASSERT_TRUE(WaitFor([&] { return FDaemon->LastCount() == 1; }));
    WaitPasses(2);

    // The last verdict (1 to 0) notifies nobody and leaves the count seen at 1.
    calls = FCalls;
    loop = FDaemon->LoopNotifications;
    ASSERT_TRUE(decisions.Remove(*decisions.Items(0)));
    WaitPasses(3);
    EXPECT_EQ(FCalls, calls);
    EXPECT_EQ(FDaemon->LastCount(), 1u);

    // The next add (0 to 1) is notified on the request path only.
    ASSERT_EQ(Add("module=d&information=d").Status, 200);
    EXPECT_EQ(FCalls, calls + 1);
    WaitPasses(3);
    EXPECT_EQ(FCalls, calls + 1);
    EXPECT_EQ(FDaemon->LoopNotifications, loop);
    EXPECT_EQ(FDaemon->LastCount(), 1u);
    EXPECT_EQ(FCountsSeen.back(), 1);
}

TEST_F(DecisionServer, SecondRequestWaitsWhileAnAddWaitsForTheUserInterface) {
    // Leave the loop's count at 1 with nothing pending, so that the next add queues exactly
    // one call for the user-interface thread: its own notification.
    ASSERT_EQ(Add("module=a&information=a").Status, 200);
    ASSERT_TRUE(WaitFor([&] { return FDaemon->LastCount() == 1; }));
    FDaemon->Decisions().Delete(0);
    WaitPasses(2);

    std::atomic<int> queued{0};
    UiThread::SetWaker([&] { ++queued; });
    auto first = std::async(std::launch::async, [port = FPort] {
        return httpservice::test::Exchange(port, Get("/add?module=first&information=1"));
    });
    // Not pumping: the add holds the list's lock and waits for this thread.
    for (int attempt = 0; attempt < 3000 && queued == 0; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(queued, 1);
    auto second = std::async(std::launch::async, [port = FPort] {
        return httpservice::test::Exchange(port, Get("/list"));
    });
    const int passes = FDaemon->Passes;
    while (FDaemon->Passes < passes + 5) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(first.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    EXPECT_EQ(second.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    EXPECT_EQ(FCalls, 2);
    UiThread::SetWaker({});

    ASSERT_TRUE(WaitFor([&] {
        return first.wait_for(std::chrono::seconds(0)) == std::future_status::ready &&
               second.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }));
    EXPECT_EQ(FCalls, 3);
    EXPECT_EQ(BodyLines(ParseReply(first.get()).Body).front(), "id=1");
    // The listing came after the add had left the lock.
    const TLines listed = BodyLines(ParseReply(second.get()).Body);
    ASSERT_FALSE(listed.empty());
    EXPECT_EQ(listed[1], "id=1");
}

TEST_F(DecisionServer, FailingHandlerGives500AndKeepsTheDecisionAndTheService) {
    FOnChange = [](TDecisionList&) { throw Exception("dialog broke"); };
    const TReply reply = Add("module=m&information=i");
    EXPECT_EQ(reply.Status, 500);
    EXPECT_EQ(reply.Body, "");
    EXPECT_EQ(FDaemon->Decisions().Count(), 1);

    // The loop's notification fails too; the loop logs it and goes on serving.
    ASSERT_TRUE(WaitFor([&] { return FDaemon->LastCount() == 1; }));
    WaitPasses(2);
    FOnChange = nullptr;
    EXPECT_EQ(Ask(Get("/status")).Status, 200);
    const std::string log = FDaemon->ServiceLog()->LineLogText();
    EXPECT_NE(log.find("Processing request /add?module=m&information=i failed (reason: dialog "
                       "broke)"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Notifying the owner of changed decisions failed (reason: dialog broke)"),
              std::string::npos)
        << log;
}

TEST_F(DecisionServer, AddOutlivingItsDaemonNoLongerCallsTheOwner) {
    std::atomic<int> queued{0};
    UiThread::SetWaker([&] { ++queued; });
    auto pending = std::async(std::launch::async, [port = FPort] {
        return httpservice::test::Exchange(port, Get("/add?module=m&information=i"));
    });
    for (int attempt = 0; attempt < 3000 && queued == 0; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GE(queued, 1);
    UiThread::SetWaker({});
    // Freeing the daemon serves the waiting add, which finds no owner to tell any more.
    FDaemon.reset();
    ASSERT_TRUE(WaitFor(
        [&] { return pending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(ParseReply(pending.get()).Status, 200);
    EXPECT_EQ(FCalls, 0);
}

} // namespace
} // namespace vx::decisions::test
