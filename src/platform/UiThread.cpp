#include "platform/UiThread.h"

#include "platform/WorkerThread.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace vx {
namespace {

// One queued call; the worker that queued it waits on it until the UI thread has run it.
struct TCall {
    const std::function<void()>* Fn = nullptr;
    bool Done = false;
    std::exception_ptr Error;
};

struct TState {
    std::mutex Lock;
    std::condition_variable UiWake;   // the UI thread: a call was queued or a thread ended
    std::condition_variable CallDone; // the workers: a call has run
    std::deque<TCall*> Queue;
    std::thread::id UiId;
    bool Attached = false;
    unsigned long WakeCount = 0;
    std::function<void()> Waker;
};

TState& State() {
    // Never destroyed: self-freeing threads (request threads among them) may still end, and
    // tell this state so, while the process runs its exit-time destructors.
    static TState& state = *new TState;
    return state;
}

void RunCalls(std::deque<TCall*>& calls) {
    TState& s = State();
    for (TCall* call : calls) {
        try {
            (*call->Fn)();
        } catch (...) {
            call->Error = std::current_exception();
        }
        {
            std::lock_guard lock(s.Lock);
            call->Done = true;
        }
        s.CallDone.notify_all();
    }
}

} // namespace

void UiThread::Attach() {
    TState& s = State();
    std::lock_guard lock(s.Lock);
    s.UiId = std::this_thread::get_id();
    s.Attached = true;
}

void UiThread::Detach() {
    TState& s = State();
    std::deque<TCall*> pending;
    {
        std::lock_guard lock(s.Lock);
        s.Attached = false;
        s.UiId = std::thread::id();
        pending.swap(s.Queue);
    }
    RunCalls(pending);
}

bool UiThread::IsCurrent() {
    TState& s = State();
    std::lock_guard lock(s.Lock);
    return s.Attached && s.UiId == std::this_thread::get_id();
}

void UiThread::SetWaker(std::function<void()> waker) {
    TState& s = State();
    std::lock_guard lock(s.Lock);
    s.Waker = std::move(waker);
}

void UiThread::Synchronize(const std::function<void()>& fn) {
    TState& s = State();
    TCall call;
    call.Fn = &fn;
    std::function<void()> waker;
    {
        std::unique_lock lock(s.Lock);
        if (!s.Attached || s.UiId == std::this_thread::get_id()) {
            lock.unlock();
            fn();
            return;
        }
        s.Queue.push_back(&call);
        ++s.WakeCount;
        waker = s.Waker;
    }
    s.UiWake.notify_all();
    if (waker) {
        waker();
    }
    {
        std::unique_lock lock(s.Lock);
        s.CallDone.wait(lock, [&] { return call.Done; });
    }
    if (call.Error) {
        std::rethrow_exception(call.Error);
    }
}

int UiThread::Pump() {
    TState& s = State();
    std::deque<TCall*> calls;
    {
        std::lock_guard lock(s.Lock);
        if (!s.Attached || s.UiId != std::this_thread::get_id()) {
            return 0;
        }
        calls.swap(s.Queue);
    }
    RunCalls(calls);
    return static_cast<int>(calls.size());
}

void UiThread::WaitForWhilePumping(TWorkerThread& thread) {
    TState& s = State();
    for (;;) {
        Pump();
        std::unique_lock lock(s.Lock);
        if (!s.Queue.empty()) {
            continue;
        }
        if (thread.Finished()) {
            break;
        }
        // A thread's end is published before WakeCount moves (NotifyThreadEnded), so a
        // change seen here is never missed.
        const unsigned long seen = s.WakeCount;
        s.UiWake.wait(lock, [&] { return !s.Queue.empty() || s.WakeCount != seen; });
    }
    thread.Join();
}

bool UiThread::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    TState& s = State();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        Pump();
        if (done()) {
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return false;
        }
        // `done` has no signal of its own: look again at least every 5 ms.
        const auto slice = std::min<std::chrono::steady_clock::duration>(
            deadline - now, std::chrono::milliseconds(5));
        std::unique_lock lock(s.Lock);
        s.UiWake.wait_for(lock, slice, [&] { return !s.Queue.empty(); });
    }
}

void UiThread::NotifyThreadEnded() {
    TState& s = State();
    {
        std::lock_guard lock(s.Lock);
        ++s.WakeCount;
    }
    s.UiWake.notify_all();
}

} // namespace vx
