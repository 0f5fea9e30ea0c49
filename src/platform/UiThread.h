#pragma once

#include <chrono>
#include <functional>

namespace vx {

class TWorkerThread;

// The run-on-UI-thread facility: one user-interface thread per process.
//
// Workers call Synchronize(fn): fn is queued, the waker is called, and the worker blocks until
// the UI thread has run fn in Pump(); an exception thrown by fn is rethrown in the worker.
// Called on the UI thread itself, or while no UI thread is attached (tools and services
// without a user interface), fn runs at once on the caller.
//
// The UI thread runs queued calls in Pump(); when it waits for a worker to end it uses
// WaitForWhilePumping so that workers blocked in Synchronize can finish.
class UiThread {
public:
    UiThread() = delete;

    // Makes the calling thread the UI thread.
    static void Attach();
    // The UI thread stops serving: calls still queued run now on the caller, later calls run
    // on their own thread.
    static void Detach();
    static bool IsCurrent();

    // Called (on the worker, outside any lock) whenever a call is queued; the Qt glue posts
    // an event that calls Pump(). Empty by default: the UI thread then pumps on its own.
    static void SetWaker(std::function<void()> waker);

    static void Synchronize(const std::function<void()>& fn);

    // Runs every call queued so far, on the UI thread. Returns how many ran.
    static int Pump();

    // Pumps until `thread` has ended, then joins it.
    static void WaitForWhilePumping(TWorkerThread& thread);

    // Pumps until `done()` holds or `timeout` passed; true when done. For loops of the UI
    // thread that wait on something other than a worker's end (tests, shutdown steps).
    static bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

private:
    friend class TWorkerThread;
    static void NotifyThreadEnded();
};

} // namespace vx
