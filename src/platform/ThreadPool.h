#pragma once

#include <chrono>
#include <cstddef>
#include <memory>

namespace vx {

class TWorkerThread;

// Operating-system threads that run the bodies of self-freeing worker threads one after
// another, so that a short body costs a wake-up instead of a thread's creation and exit.
// A body started through the pool (TWorkerThread::SetThreadPool) runs on an idle pooled
// thread, or on a new one when none is idle. After a body a thread waits for the next one,
// unless MaxIdle threads already wait; one idle longer than IdleTime ends.
//
// The threads are detached and share the pool's state: the pool object may go while bodies
// still run; its idle threads then end, and the busy ones after their bodies.
class TThreadPool {
public:
    struct TSettings {
        std::size_t StackSize = 0; // bytes; 0: the system's
        std::size_t MaxIdle = 16;
        std::chrono::milliseconds IdleTime{10000};
    };

    explicit TThreadPool(const TSettings& settings);
    ~TThreadPool();
    TThreadPool(const TThreadPool&) = delete;
    TThreadPool& operator=(const TThreadPool&) = delete;

    // Runs the body of `thread` (which frees itself) on a pooled thread. Throws
    // std::system_error when no thread can be made; `thread` is then untouched.
    void Run(TWorkerThread& thread);

    // Threads of the pool that wait for a body.
    std::size_t Idle() const;

    struct TState;

private:
    static void* ThreadMain(void* start);

    std::shared_ptr<TState> FState;
};

} // namespace vx
