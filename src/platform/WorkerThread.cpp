#include "platform/WorkerThread.h"

#include "platform/Exception.h"
#include "platform/UiThread.h"

namespace vx {

TWorkerThread::TWorkerThread() = default;

TWorkerThread::~TWorkerThread() {
    // Last resort for an owner that deletes a running thread directly instead of through
    // TThreadFree: end the body before the members go away.
    FTerminated = true;
    Join();
}

void TWorkerThread::Start() {
    if (FStarted) {
        throw Exception("The thread has already been started");
    }
    Starting();
    FStarted = true;
    FFinished = false;
    const bool freeOnTerminate = FFreeOnTerminate;
    std::thread thread;
    try {
        thread = std::thread(&TWorkerThread::ThreadProc, this);
    } catch (...) {
        FStarted = false;
        FFinished = true;
        throw;
    }
    if (freeOnTerminate) {
        // The body may already have deleted this object: touch nothing of it any more.
        thread.detach();
    } else {
        std::lock_guard lock(FJoinLock);
        FThread = std::move(thread);
    }
}

void TWorkerThread::Terminate() {
    FTerminated = true;
}

void TWorkerThread::WaitFor() {
    if (FFreeOnTerminate) {
        throw Exception("Cannot wait for a thread that frees itself");
    }
    if (std::this_thread::get_id() == ThreadId()) {
        throw Exception("A thread cannot wait for itself");
    }
    if (UiThread::IsCurrent()) {
        UiThread::WaitForWhilePumping(*this);
    } else {
        Join();
    }
}

void TWorkerThread::Synchronize(const std::function<void()>& fn) {
    UiThread::Synchronize(fn);
}

void TWorkerThread::ThreadProc() {
    try {
        Execute();
    } catch (...) {
        FFatalException = std::current_exception();
    }
    try {
        DoTerminate();
    } catch (...) {
        // A failing notification must not take the process down with it.
    }
    const bool freeOnTerminate = FFreeOnTerminate;
    FFinished = true;
    UiThread::NotifyThreadEnded();
    if (freeOnTerminate) {
        delete this;
    }
}

std::thread::id TWorkerThread::ThreadId() {
    std::lock_guard lock(FJoinLock);
    return FThread.get_id();
}

void TWorkerThread::Join() {
    std::lock_guard lock(FJoinLock);
    if (FThread.joinable()) {
        if (FThread.get_id() == std::this_thread::get_id()) {
            FThread.detach();
        } else {
            FThread.join();
        }
    }
}

void TThreadFree::operator()(TWorkerThread* thread) const {
    thread->Terminate();
    thread->WaitFor();
    delete thread;
}

} // namespace vx
