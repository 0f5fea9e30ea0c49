#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vx::httpservice {

// Counts the live request threads of a daemon (shared by the daemon and its threads, so it
// outlives both) and remembers the highest count seen.
class TThreadCounter {
public:
    void Enter();
    void Leave();
    int Count() const;
    int Peak() const;
    // Waits until fewer than `limit` threads live, at most `timeout`; true when they do.
    bool WaitBelow(int limit, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex FLock;
    mutable std::condition_variable FLeft;
    int FCount = 0;
    int FPeak = 0;
};

} // namespace vx::httpservice
