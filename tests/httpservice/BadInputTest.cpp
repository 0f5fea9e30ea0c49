#include "ServiceFixture.h"

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
    FBehaviour->ReadWaitMs = 120000;
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

TEST_F(BadInputTest, AFloodBeyondTheThreadCapWaitsAndIsThenServed) {
    FBehaviour->ReadWaitMs = 120000;
    std::vector<std::unique_ptr<TClient>> idle;
    for (int i = 0; i < MaxRequestThreads + 40; ++i) {
        idle.push_back(std::make_unique<TClient>(FPort));
        ASSERT_TRUE(idle.back()->Connected());
    }
    ASSERT_TRUE(WaitFor([&] { return FCounter->Count() == MaxRequestThreads; }));

    // A well-behaved client waits in the backlog while the cap holds...
    auto answer = std::async(std::launch::async, [port = FPort] {
        return Exchange(port, "GET /integrity-local HTTP/1.0\r\n\r\n");
    });
    EXPECT_EQ(answer.wait_for(300ms), std::future_status::timeout);
    EXPECT_EQ(FCounter->Peak(), MaxRequestThreads);

    // ...and is served once the flood goes away.
    idle.clear();
    ASSERT_TRUE(WaitFor([&] { return answer.wait_for(0s) == std::future_status::ready; }));
    EXPECT_TRUE(Answered(answer.get()));
    EXPECT_LE(FCounter->Peak(), MaxRequestThreads);
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
