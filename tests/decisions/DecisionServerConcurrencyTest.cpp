#include "DecisionServerFixture.h"

#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace vx::decisions::test {
namespace {

constexpr int Adders = 4;
constexpr int AddsEach = 25;
constexpr int Listers = 2;
constexpr int ListsEach = 25;

using DecisionServerConcurrency = DecisionServerFixture;

// Request threads add and list while the user-interface thread removes decisions by identity
// from its handler, as the decision dialog does after a verdict.
TEST_F(DecisionServerConcurrency, AddsListingsAndUserInterfaceRemovals) {
    int removed = 0;
    FOnChange = [&removed](TDecisionList& decisions) {
        if (decisions.Count() > 2 && decisions.Remove(*decisions.Items(0))) {
            ++removed;
        }
    };

    std::mutex lock;
    std::set<std::string> ids;
    int failures = 0;
    auto done = std::async(std::launch::async, [&] {
        std::vector<std::thread> clients;
        for (int c = 0; c < Adders; ++c) {
            clients.emplace_back([&, c] {
                for (int i = 0; i < AddsEach; ++i) {
                    const std::string query =
                        "module=c" + std::to_string(c) + "&information=" + std::to_string(i);
                    const TReply reply = ParseReply(httpservice::test::Exchange(
                        FPort, "GET /add?" + query + " HTTP/1.0\r\n\r\n"));
                    std::lock_guard guard(lock);
                    if (reply.Status != 200) {
                        ++failures;
                        continue;
                    }
                    ids.insert(BodyLines(reply.Body).front());
                }
            });
        }
        for (int c = 0; c < Listers; ++c) {
            clients.emplace_back([&, c] {
                for (int i = 0; i < ListsEach; ++i) {
                    const char* path = (i + c) % 2 ? "/list" : "/status";
                    const TReply reply = ParseReply(httpservice::test::Exchange(
                        FPort, std::string("GET ") + path + " HTTP/1.0\r\n\r\n"));
                    std::lock_guard guard(lock);
                    failures += reply.Status == 200 ? 0 : 1;
                }
            });
        }
        for (auto& client : clients) {
            client.join();
        }
    });
    ASSERT_TRUE(WaitFor(
        [&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    done.get();
    WaitPasses(2);

    EXPECT_EQ(failures, 0);
    EXPECT_EQ(ids.size(), static_cast<std::size_t>(Adders * AddsEach));
    EXPECT_GT(removed, 0);
    EXPECT_EQ(FDaemon->Decisions().Count(), Adders * AddsEach - removed);
    const auto listed = BodyLines(Ask("GET /list HTTP/1.0\r\n\r\n").Body);
    EXPECT_EQ(listed.size(), static_cast<std::size_t>(14 * FDaemon->Decisions().Count()));
}

} // namespace
} // namespace vx::decisions::test
