#include "platform/NamedEvent.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

using namespace std::chrono_literals;

TEST(NamedEventTest, OneNameIsOneEventOpenedWithItsState) {
    bool existed = true;
    auto first = CreateNamedEvent("vx-test-shared", false, &existed);
    EXPECT_FALSE(existed);
    first->Set();
    // Opening it again keeps the state; the initial state asked for is ignored.
    auto second = CreateNamedEvent("vx-test-shared", false, &existed);
    EXPECT_TRUE(existed);
    EXPECT_EQ(first, second);
    EXPECT_TRUE(second->IsSet());
    second->Reset();
    EXPECT_FALSE(first->IsSet());
}

TEST(NamedEventTest, AnEventGoesWithItsLastHandle) {
    CreateNamedEvent("vx-test-gone", true)->Set();
    bool existed = true;
    auto again = CreateNamedEvent("vx-test-gone", false, &existed);
    EXPECT_FALSE(existed);
    EXPECT_FALSE(again->IsSet());
}

TEST(NamedEventTest, UnnamedEventsAreDistinct) {
    auto a = CreateNamedEvent("", true);
    auto b = CreateNamedEvent("", false);
    EXPECT_NE(a, b);
    EXPECT_TRUE(a->IsSet());
    EXPECT_FALSE(b->IsSet());
}

TEST(NamedEventTest, WaitTimesOutWhileNotSignalled) {
    auto event = CreateNamedEvent("vx-test-timeout", false);
    EXPECT_FALSE(event->WaitFor(20ms));
    EXPECT_FALSE(event->WaitFor(0ms));
}

TEST(NamedEventTest, SetWakesEveryWaiterAndStaysSetUntilReset) {
    auto event = CreateNamedEvent("vx-test-wake", false);
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i) {
        waiters.emplace_back([&] {
            // Each waiter opens its own handle on the name, as the loader thread does.
            if (CreateNamedEvent("vx-test-wake", false)->WaitFor(10s)) {
                ++woken;
            }
        });
    }
    std::this_thread::sleep_for(20ms);
    event->Set();
    for (auto& t : waiters) {
        t.join();
    }
    EXPECT_EQ(woken, 3);
    // Manual reset: a later wait returns at once until the event is reset.
    EXPECT_TRUE(event->WaitFor(0ms));
    event->Reset();
    EXPECT_FALSE(event->WaitFor(0ms));
}

} // namespace
} // namespace vx::win
