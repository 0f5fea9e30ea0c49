#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

namespace vx::win {

// A manual-reset event, the stand-in for a kernel event object: once set it stays signalled,
// waking every waiter, until reset.
class TEvent {
public:
    explicit TEvent(bool initialState) : FSignalled(initialState) {}
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Waits until the event is signalled or `timeout` passed; true when signalled. The state
    // is left as it is (manual reset).
    bool WaitFor(std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex FLock;
    mutable std::condition_variable FChanged;
    bool FSignalled;
};

// CreateEvent for manual-reset events. Every handle created under the same name in this
// process refers to one event: when an event of that name exists it is opened, keeping its
// state, and `alreadyExisted` (optional) is set. An event lives while a handle on it lives.
// An empty name gives a new unnamed event.
std::shared_ptr<TEvent> CreateNamedEvent(const std::string& name, bool initialState,
                                         bool* alreadyExisted = nullptr);

} // namespace vx::win
