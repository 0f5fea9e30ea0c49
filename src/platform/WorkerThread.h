#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <pthread.h>

namespace vx {

class TThreadPool;

// A thread object: `Execute` runs once on its own std::thread, polls `Terminated()` and reaches
// the user-interface thread through `Synchronize`.
//
// The constructor never starts the thread (a virtual `Execute` cannot run before the derived
// object exists); `Start()` does, once. Owners hold a started thread in a `TThreadPtr`, which
// asks the thread to end and waits for it before deleting it. A free-on-terminate thread is
// created with `new`, started, and deletes itself when its body has ended; nobody may touch it
// after `Start()`.
//
// An exception escaping `Execute` ends the body quietly; it is kept in `FatalException()`.
class TWorkerThread {
public:
    TWorkerThread();
    virtual ~TWorkerThread();
    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    // Starts the body. Throws std::system_error when no thread can be created (the object is
    // then untouched and still owned by the caller, even when free-on-terminate).
    void Start();

    // Asks the body to end; it sees the request through Terminated(). Any thread may call it.
    virtual void Terminate();
    bool Terminated() const { return FTerminated.load(); }

    // The body has ended (or never started).
    bool Finished() const { return FFinished.load(); }

    // Waits until the body has ended. On the UI thread it keeps running queued Synchronize
    // calls while it waits (UiThread::WaitForWhilePumping), so a worker blocked in
    // Synchronize cannot deadlock the wait. Never call it for a free-on-terminate thread.
    void WaitFor();

    // Must be set before Start().
    void SetFreeOnTerminate(bool value) { FFreeOnTerminate = value; }
    bool FreeOnTerminate() const { return FFreeOnTerminate; }
    // The stack of the thread in bytes (at least PTHREAD_STACK_MIN); 0, the default, takes
    // the system's. Must be set before Start().
    void SetStackSize(std::size_t bytes) { FStackSize = bytes; }
    // A free-on-terminate thread may run its body on a thread of `pool` (ThreadPool.h),
    // whose settings then decide the stack. Must be set before Start().
    void SetThreadPool(std::shared_ptr<TThreadPool> pool) { FPool = std::move(pool); }

    std::exception_ptr FatalException() const { return FFatalException; }

    // Runs `fn` on the UI thread and waits for it; see UiThread::Synchronize.
    static void Synchronize(const std::function<void()>& fn);

protected:
    // The body; runs once.
    virtual void Execute() = 0;
    // Runs on the thread after the body (the termination notification).
    virtual void DoTerminate() {}
    // Runs in Start() on the starting thread, before the body begins: the place for set-up
    // that needs the derived object's virtual functions.
    virtual void Starting() {}

private:
    friend class UiThread;
    friend class TThreadPool;
    static void* ThreadEntry(void* self);
    void ThreadProc();
    void Join();
    bool IsCurrent();

    std::mutex FJoinLock; // guards FThread and FJoinable: the owner and the UI thread may both wait
    pthread_t FThread{};
    bool FJoinable = false;
    std::atomic<bool> FTerminated{false};
    std::atomic<bool> FFinished{true};
    bool FStarted = false;
    bool FFreeOnTerminate = false;
    std::size_t FStackSize = 0;
    std::shared_ptr<TThreadPool> FPool;
    std::exception_ptr FFatalException;
};

// Ends and deletes a started (not free-on-terminate) thread: Terminate(), WaitFor(), delete.
// Classes whose way to stop is more than Terminate() override Terminate().
struct TThreadFree {
    void operator()(TWorkerThread* thread) const;
};

template <class T>
using TThreadPtr = std::unique_ptr<T, TThreadFree>;

// Constructs a T and starts it: the thread object of the owner's lifetime.
template <class T, class... A>
TThreadPtr<T> StartThread(A&&... args) {
    TThreadPtr<T> thread(new T(std::forward<A>(args)...));
    thread->Start();
    return thread;
}

} // namespace vx
