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

std::string Get(const std::string& Path) {
    return "GET " + Path + " HTTP/1.0\r\n\r\n";
}

using DecisionServer = DecisionServerFixture;

TEST_F(DecisionServer, RootIsAnsweredAsStatus) {
    const TReply Reply = Ask(Get("/"));
    EXPECT_EQ(Reply.Status, 200);
    ASSERT_FALSE(Reply.Headers.empty());
    EXPECT_EQ(Reply.Headers[0], ContentType);
    EXPECT_TRUE(Reply.HasHeader("Content-length: 0"));
    EXPECT_EQ(Reply.Body, "");
}

TEST_F(DecisionServer, StatusShowsEachDecisionsDisplayLines) {
    ASSERT_EQ(Add("module=m&information=i").Status, 200);
    ASSERT_EQ(Add("module=x&information=y&item=it&threatlevel=-3&decisiontype=filescaninfo"
                  "&logclass=deleted&identifiedas=Trojan&category=c&olddata=o&newdata=n")
                  .Status,
              200);
    const TReply Reply = Ask(Get("/status"));
    EXPECT_EQ(Reply.Status, 200);
    EXPECT_EQ(Reply.Headers[0], ContentType);
    EXPECT_EQ(BodyLines(Reply.Body), (TLines{"ID: 0",
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
    EXPECT_EQ(Ask(Get("/status?module=z&information=z")).Body, Reply.Body);
}

TEST_F(DecisionServer, ListShowsPositionAndKeyValueLines) {
    ASSERT_EQ(Add("module=m&information=i").Status, 200);
    const TReply Reply = Ask(Get("/list"));
    EXPECT_EQ(Reply.Status, 200);
    EXPECT_EQ(Reply.Headers[0], ContentType);
    EXPECT_EQ(BodyLines(Reply.Body),
              (TLines{"[0]", "id=0", "item=", "identifiedas=", "category=", "threatlevel=5",
                      "decisiontype=information", "logclass=custom", "module=m", "information=i",
                      "olddata=", "newdata=", "index=0", ""}));
}

TEST_F(DecisionServer, AddAnswersTheNewDecisionAndNotifiesOnBothPaths) {
    const TReply Reply = Add("module=m&information=i");
    EXPECT_EQ(Reply.Status, 200);
    EXPECT_EQ(Reply.Headers[0], ContentType);
    const TLines Lines = BodyLines(Reply.Body);
    ASSERT_EQ(Lines.size(), 12u);
    EXPECT_EQ(Lines.front(), "id=0");
    EXPECT_EQ(Lines.back(), "index=0");
    // The request's own notification ran before its answer was sent.
    EXPECT_GE(FCalls, 1);

    ASSERT_TRUE(WaitFor([&] { return FCalls == 2; }));
    WaitPasses(3);
    EXPECT_EQ(FCalls, 2);
    EXPECT_EQ(FDaemon->LoopNotifications, 1);
    EXPECT_EQ(FCountsSeen, (std::vector<int>{1, 1}));

    const TLines Second = BodyLines(Add("information=j&module=n&id=99").Body);
    EXPECT_EQ(Second.front(), "id=1");
    EXPECT_EQ(Second.back(), "index=1");
}

TEST_F(DecisionServer, RejectedRequests) {
    struct {
        const char* Request;
        bool ContentTypeSent;
    } const Cases[] = {
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
    for (const auto& Case : Cases) {
        const TReply Reply = Ask(Case.Request);
        EXPECT_EQ(Reply.Status, 504) << Case.Request;
        EXPECT_EQ(Reply.HasHeader(ContentType), Case.ContentTypeSent) << Case.Request;
        EXPECT_TRUE(Reply.HasHeader("Content-length: 0")) << Case.Request;
        EXPECT_EQ(Reply.Body, "") << Case.Request;
    }
    WaitPasses(3);
    EXPECT_EQ(FDaemon->Decisions().Count(), 0);
    EXPECT_EQ(FCalls, 0);
}

TEST_F(DecisionServer, PostWithQueryIsTakenAndItsBodyIgnored) {
    const TReply Reply =
        Ask("POST /add?module=m&information=i HTTP/1.0\r\nContent-Length: 10\r\n\r\nitem=body!");
    EXPECT_EQ(Reply.Status, 200);
    EXPECT_EQ(FDaemon->Decisions().Items(0)->Item, "");
}

TEST_F(DecisionServer, FieldsAreDecodedByValue) {
    struct {
        const char* Query;
        const char* Module;
        const char* Information;
    } const Cases[] = {
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
    for (const auto& Case : Cases) {
        const TReply Reply = Add(Case.Query);
        ASSERT_EQ(Reply.Status, 200) << Case.Query;
        const auto Decision = FDaemon->Decisions().Items(FDaemon->Decisions().Count() - 1);
        EXPECT_EQ(Decision->Module, Case.Module) << Case.Query;
        EXPECT_EQ(Decision->Information, Case.Information) << Case.Query;
        EXPECT_NE(Reply.Body.find(std::string("\r\nmodule=") + Case.Module + "\r\n"),
                  std::string::npos)
            << Case.Query;
    }
}

TEST_F(DecisionServer, IntegrityTokenIsTheTraysOwn) {
    const TReply Reply = Ask(Get("/integrity-local"));
    EXPECT_EQ(Reply.Status, 200);
    EXPECT_EQ(Reply.Body, httpservice::IntegrityToken("VXTray"));
}

TEST_F(DecisionServer, RequestWithoutProtocolGetsNoHeaders) {
    ASSERT_EQ(Add("module=m&information=i").Status, 200);
    const TReply Reply = ParseReply(AskRaw("GET /list\r\n"), false);
    EXPECT_EQ(Reply.Status, 200);
    EXPECT_EQ(BodyLines(Reply.Body).front(), "[0]");
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
    int Calls = FCalls;
    int Loop = FDaemon->LoopNotifications;
    auto& Decisions = FDaemon->Decisions();
    ASSERT_TRUE(Decisions.Remove(*Decisions.Items(0)));
    ASSERT_TRUE(WaitFor([&] { return FDaemon->LastCount() == 2; }));
    WaitPasses(2);
    EXPECT_EQ(FCalls, Calls + 1);
    EXPECT_EQ(FDaemon->LoopNotifications, Loop + 1);

    ASSERT_TRUE(Decisions.Remove(*Decisions.Items(0)));
    ASSERT_TRUE(WaitFor([&] { return FDaemon->LastCount() == 1; }));
    WaitPasses(2);

    // The last verdict (1 to 0) notifies nobody and leaves the count seen at 1.
    Calls = FCalls;
    Loop = FDaemon->LoopNotifications;
    ASSERT_TRUE(Decisions.Remove(*Decisions.Items(0)));
    WaitPasses(3);
    EXPECT_EQ(FCalls, Calls);
    EXPECT_EQ(FDaemon->LastCount(), 1u);

    // The next add (0 to 1) is notified on the request path only.
    ASSERT_EQ(Add("module=d&information=d").Status, 200);
    EXPECT_EQ(FCalls, Calls + 1);
    WaitPasses(3);
    EXPECT_EQ(FCalls, Calls + 1);
    EXPECT_EQ(FDaemon->LoopNotifications, Loop);
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

    std::atomic<int> Queued{0};
    UiThread::SetWaker([&] { ++Queued; });
    auto First = std::async(std::launch::async, [Port = FPort] {
        return httpservice::test::Exchange(Port, Get("/add?module=first&information=1"));
    });
    // Not pumping: the add holds the list's lock and waits for this thread.
    for (int Try = 0; Try < 3000 && Queued == 0; ++Try) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(Queued, 1);
    auto Second = std::async(std::launch::async, [Port = FPort] {
        return httpservice::test::Exchange(Port, Get("/list"));
    });
    const int Passes = FDaemon->Passes;
    while (FDaemon->Passes < Passes + 5) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(First.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    EXPECT_EQ(Second.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    EXPECT_EQ(FCalls, 2);
    UiThread::SetWaker({});

    ASSERT_TRUE(WaitFor([&] {
        return First.wait_for(std::chrono::seconds(0)) == std::future_status::ready &&
               Second.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }));
    EXPECT_EQ(FCalls, 3);
    EXPECT_EQ(BodyLines(ParseReply(First.get()).Body).front(), "id=1");
    // The listing came after the add had left the lock.
    const TLines Listed = BodyLines(ParseReply(Second.get()).Body);
    ASSERT_FALSE(Listed.empty());
    EXPECT_EQ(Listed[1], "id=1");
}

TEST_F(DecisionServer, FailingHandlerGives500AndKeepsTheDecisionAndTheService) {
    FOnChange = [](TDecisionList&) { throw Exception("dialog broke"); };
    const TReply Reply = Add("module=m&information=i");
    EXPECT_EQ(Reply.Status, 500);
    EXPECT_EQ(Reply.Body, "");
    EXPECT_EQ(FDaemon->Decisions().Count(), 1);

    // The loop's notification fails too; the loop logs it and goes on serving.
    ASSERT_TRUE(WaitFor([&] { return FDaemon->LastCount() == 1; }));
    WaitPasses(2);
    FOnChange = nullptr;
    EXPECT_EQ(Ask(Get("/status")).Status, 200);
    const std::string Log = FDaemon->ServiceLog()->LineLogText();
    EXPECT_NE(Log.find("Processing request /add?module=m&information=i failed (reason: dialog "
                       "broke)"),
              std::string::npos)
        << Log;
    EXPECT_NE(Log.find("Notifying the owner of changed decisions failed (reason: dialog broke)"),
              std::string::npos)
        << Log;
}

TEST_F(DecisionServer, AddOutlivingItsDaemonNoLongerCallsTheOwner) {
    std::atomic<int> Queued{0};
    UiThread::SetWaker([&] { ++Queued; });
    auto Pending = std::async(std::launch::async, [Port = FPort] {
        return httpservice::test::Exchange(Port, Get("/add?module=m&information=i"));
    });
    for (int Try = 0; Try < 3000 && Queued == 0; ++Try) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GE(Queued, 1);
    UiThread::SetWaker({});
    // Freeing the daemon serves the waiting add, which finds no owner to tell any more.
    FDaemon.reset();
    ASSERT_TRUE(WaitFor(
        [&] { return Pending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(ParseReply(Pending.get()).Status, 200);
    EXPECT_EQ(FCalls, 0);
}

} // namespace
} // namespace vx::decisions::test
