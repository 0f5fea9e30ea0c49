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
    int Removed = 0;
    FOnChange = [&Removed](TDecisionList& Decisions) {
        if (Decisions.Count() > 2 && Decisions.Remove(*Decisions.Items(0))) {
            ++Removed;
        }
    };

    std::mutex Lock;
    std::set<std::string> Ids;
    int Failures = 0;
    auto Done = std::async(std::launch::async, [&] {
        std::vector<std::thread> Clients;
        for (int C = 0; C < Adders; ++C) {
            Clients.emplace_back([&, C] {
                for (int I = 0; I < AddsEach; ++I) {
                    const std::string Query =
                        "module=c" + std::to_string(C) + "&information=" + std::to_string(I);
                    const TReply Reply = ParseReply(httpservice::test::Exchange(
                        FPort, "GET /add?" + Query + " HTTP/1.0\r\n\r\n"));
                    std::lock_guard Guard(Lock);
                    if (Reply.Status != 200) {
                        ++Failures;
                        continue;
                    }
                    Ids.insert(BodyLines(Reply.Body).front());
                }
            });
        }
        for (int C = 0; C < Listers; ++C) {
            Clients.emplace_back([&, C] {
                for (int I = 0; I < ListsEach; ++I) {
                    const char* Path = (I + C) % 2 ? "/list" : "/status";
                    const TReply Reply = ParseReply(httpservice::test::Exchange(
                        FPort, std::string("GET ") + Path + " HTTP/1.0\r\n\r\n"));
                    std::lock_guard Guard(Lock);
                    Failures += Reply.Status == 200 ? 0 : 1;
                }
            });
        }
        for (auto& Client : Clients) {
            Client.join();
        }
    });
    ASSERT_TRUE(WaitFor(
        [&] { return Done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }));
    Done.get();
    WaitPasses(2);

    EXPECT_EQ(Failures, 0);
    EXPECT_EQ(Ids.size(), static_cast<std::size_t>(Adders * AddsEach));
    EXPECT_GT(Removed, 0);
    EXPECT_EQ(FDaemon->Decisions().Count(), Adders * AddsEach - Removed);
    const auto Listed = BodyLines(Ask("GET /list HTTP/1.0\r\n\r\n").Body);
    EXPECT_EQ(Listed.size(), static_cast<std::size_t>(14 * FDaemon->Decisions().Count()));
}

} // namespace
} // namespace vx::decisions::test
