#pragma once

#include "platform/UiThread.h"

#include <chrono>
#include <functional>
#include <future>
#include <utility>

// Waiting on the user-interface thread of a test without Qt: the test thread is the UI thread
// and keeps serving the workers' Synchronize calls while it waits.
namespace vx::test {

// How long a test waits for anything before it gives up.
inline constexpr std::chrono::seconds PumpLimit{30};

// Pumps the UI thread until `done` holds; false after PumpLimit.
inline bool PumpUntil(const std::function<bool()>& done) {
    return UiThread::PumpUntil(done, PumpLimit);
}

// True once the future's result is there, without waiting.
template <class T>
bool Ready(const std::future<T>& result) {
    return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

// Runs `fn` on another thread while the UI thread pumps, and returns its result.
template <class F>
auto Pumped(F fn) {
    auto result = std::async(std::launch::async, std::move(fn));
    PumpUntil([&] { return Ready(result); });
    return result.get();
}

} // namespace vx::test
