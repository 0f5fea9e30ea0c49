#include "ServiceFixture.h"

#include <future>
#include <random>
#include <thread>

namespace vx::httpservice::test {
namespace {

using namespace std::chrono_literals;

using BadInputTest = ServiceFixture;

bool Answered(const std::string& response) {
    return response.starts_with("HTTP/1.0 200\r\n");
}

TEST_F(BadInputTest, SlowClientsDoNotHoldUpOthers) {
    FBehaviour->RequestDeadlineMs = 30000;
    const std::string request = "GET /integrity-local HTTP/1.0\r\n\r\n";
    const auto slowAnswers = Pumped([&] {
        std::vector<std::unique_ptr<TClient>> slow;
        for (int i = 0; i < 4; ++i) {
            slow.push_back(std::make_unique<TClient>(FPort));
        }
        // Each slow client sends a byte at a time; in between, others are served at once.
        int othersServed = 0;
        for (const char c : request) {
            for (auto& client : slow) {
                client->Send(std::string(1, c));
            }
            othersServed += Answered(Exchange(FPort, request));
            std::this_thread::sleep_for(2ms);
        }
        std::vector<std::string> answers{std::to_string(othersServed)};
        for (auto& client : slow) {
            answers.push_back(client->ReadAll());
        }
        return answers;
    });
    EXPECT_EQ(slowAnswers[0], std::to_string(request.size()));
    for (std::size_t i = 1; i < slowAnswers.size(); ++i) {
        EXPECT_TRUE(Answered(slowAnswers[i])) << slowAnswers[i];
    }
}

// Connections that send nothing, or a request slowly, are read by the daemon alone: however
// many there are, they hold no request thread and keep nobody out.
TEST_F(BadInputTest, IdleAndSlowConnectionsTakeNoThread) {
    FBehaviour->RequestDeadlineMs = 30000;
    std::vector<std::unique_ptr<TClient>> waiting;
    for (int i = 0; i < MaxRequestThreads + 40; ++i) {
        waiting.push_back(std::make_unique<TClient>(FPort));
        ASSERT_TRUE(waiting.back()->Connected());
        if (i % 2 == 1) {
            waiting.back()->Send("GET /integrity-local HTTP/1.0\r\nHost: a");
        }
    }
    for (int round = 0; round < 3; ++round) {
        EXPECT_TRUE(Answered(Ask("GET /integrity-local HTTP/1.0\r\n\r\n")));
    }
    EXPECT_LE(FCounter->Peak(), 1);
    // A slow request, once complete, is served like any other.
    waiting[1]->Send("\r\n\r\n");
    EXPECT_TRUE(Answered(Pumped([&] { return waiting[1]->ReadAll(); })));
}

// Requests whose handlers are busy take threads up to the cap; the others wait, complete, for
// a thread to end and are then served.
TEST_F(BadInputTest, RequestsBeyondTheThreadCapWaitAndAreThenServed) {
    FBehaviour->Holding = true;
    std::vector<std::unique_ptr<TClient>> held;
    for (int i = 0; i < MaxRequestThreads + 40; ++i) {
        held.push_back(std::make_unique<TClient>(FPort));
        ASSERT_TRUE(held.back()->Send("GET /hold HTTP/1.0\r\n\r\n"));
    }
    ASSERT_TRUE(WaitFor([&] { return FCounter->Count() == MaxRequestThreads; }));

    auto answer = std::async(std::launch::async, [port = FPort] {
        return Exchange(port, "GET /integrity-local HTTP/1.0\r\n\r\n");
    });
    EXPECT_EQ(answer.wait_for(300ms), std::future_status::timeout);
    EXPECT_EQ(FCounter->Peak(), MaxRequestThreads);

    FBehaviour->Holding = false;
    ASSERT_TRUE(WaitFor([&] { return answer.wait_for(0s) == std::future_status::ready; }));
    EXPECT_TRUE(Answered(answer.get()));
    for (auto& client : held) {
        EXPECT_NE(client->ReadAll().find("HTTP/1.0 201\r\n"), std::string::npos);
    }
    EXPECT_LE(FCounter->Peak(), MaxRequestThreads);
}

// The limits take effect on the daemon's next passes.
void WaitForTwoPasses(TTestDaemon& daemon) {
    const int loops = daemon.FLoops;
    ASSERT_TRUE(vx::test::PumpUntil([&] { return daemon.FLoops >= loops + 2; }));
}

TEST_F(BadInputTest, ANewConnectionPushesOutTheOneIdleLongest) {
    FBehaviour->PendingConnections = 3;
    WaitForTwoPasses(*FDaemon);
    std::vector<std::unique_ptr<TClient>> clients;
    auto sendAndSettle = [&](TClient& client, const std::string& bytes) {
        ASSERT_TRUE(client.Send(bytes));
        std::this_thread::sleep_for(30ms); // read by the daemon before the next
    };
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<TClient>(FPort));
        sendAndSettle(*clients.back(), "GET /x HTTP/1.0\r\n");
    }
    sendAndSettle(*clients[0], "Host: a\r\n"); // now the second is idle longest
    clients.push_back(std::make_unique<TClient>(FPort));
    sendAndSettle(*clients.back(), "GET /y HTTP/1.0\r\n");

    const auto pushedOut = Pumped([&] { return clients[1]->ReadAll(5s); });
    EXPECT_EQ(pushedOut, "");
    EXPECT_FALSE(clients[1]->TimedOut());
    for (const int kept : {0, 2, 3}) {
        const auto answer = Pumped([&] {
            clients[kept]->Send("\r\n");
            return clients[kept]->ReadAll();
        });
        EXPECT_NE(answer.find("HTTP/1.0 201\r\n"), std::string::npos) << kept;
    }
}

// A client that asks and never reads the answer holds its request thread only until the
// response's deadline.
TEST_F(BadInputTest, AResponseNotTakenInTimeIsDropped) {
    FBehaviour->SendWaitMs = 200;
    FBehaviour->SendDeadlineMs = 500;
    WaitForTwoPasses(*FDaemon);
    TClient client(FPort, 4096);
    ASSERT_TRUE(client.Send("GET /big HTTP/1.0\r\n\r\n"));
    ASSERT_TRUE(WaitFor([&] { return FCounter->Peak() == 1 && FCounter->Count() == 0; }));
    const auto partial = Pumped([&] { return client.ReadAll(); });
    EXPECT_TRUE(partial.starts_with("HTTP/1.0 200\r\n"));
    EXPECT_LT(partial.size(), BigResponse);
    EXPECT_TRUE(Answered(Ask("GET /integrity-local HTTP/1.0\r\n\r\n")));
}

TEST_F(BadInputTest, BinaryGarbageIsDroppedAndServiceGoesOn) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 20; ++round) {
        std::string garbage(static_cast<std::size_t>(1 + round * 997 % 20000), '\0');
        for (char& c : garbage) {
            c = static_cast<char>(byte(random));
        }
        if (round % 2 == 1) {
            garbage += "\r\n\r\n"; // a "line" of garbage followed by an empty header block
        }
        const auto answer = Pumped([&] {
            TClient client(FPort);
            client.Send(garbage);
            client.ShutdownSend();
            return client.ReadAll();
        });
        // Garbage is either dropped or, when it happens to form a request, answered.
        EXPECT_TRUE(answer.empty() || answer.starts_with("HTTP/1.0 ")) << round;
    }
    EXPECT_TRUE(Answered(Ask("GET /integrity-local HTTP/1.0\r\n\r\n")));
}

TEST_F(BadInputTest, AHugeContentLengthIsDroppedWithoutReadingIt) {
    const auto answer = Pumped([&] {
        TClient client(FPort);
        client.Send("POST /x HTTP/1.0\r\nContent-Length: 10485760\r\n\r\n");
        // The sender keeps going; the service has already given up on the request.
        const std::string chunk(64 * 1024, 'b');
        for (int i = 0; i < 16 && client.Send(chunk); ++i) {
        }
        return client.ReadAll();
    });
    EXPECT_EQ(answer, "");
    EXPECT_TRUE(FBehaviour->Seen.empty());
    EXPECT_TRUE(Answered(Ask("GET /integrity-local HTTP/1.0\r\n\r\n")));
}

} // namespace
} // namespace vx::httpservice::test
