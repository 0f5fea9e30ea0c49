#include "platform/WorkerThread.h"

#include "platform/Exception.h"
#include "platform/ThreadPool.h"
#include "platform/UiThread.h"

#include <system_error>

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
    if (FPool && !FFreeOnTerminate) {
        throw Exception("Only a thread that frees itself runs on a pool");
    }
    Starting();
    FStarted = true;
    FFinished = false;
    if (FPool) {
        // The body may delete this object, FPool included, before Run returns.
        const std::shared_ptr<TThreadPool> pool = FPool;
        try {
            pool->Run(*this);
        } catch (...) {
            FStarted = false;
            FFinished = true;
            throw;
        }
        return;
    }
    const bool freeOnTerminate = FFreeOnTerminate;
    pthread_attr_t attributes;
    ::pthread_attr_init(&attributes);
    int error = 0;
    if (FStackSize > 0) {
        error = ::pthread_attr_setstacksize(&attributes, FStackSize);
    }
    if (error == 0 && freeOnTerminate) {
        error = ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    }
    // A joinable thread's handle is stored under the lock before its body can look for it. A
    // free-on-terminate body may delete this object at once, lock included: no lock then.
    std::unique_lock lock(FJoinLock, std::defer_lock);
    if (!freeOnTerminate) {
        lock.lock();
    }
    pthread_t thread{};
    if (error == 0) {
        error = ::pthread_create(&thread, &attributes, &TWorkerThread::ThreadEntry, this);
    }
    ::pthread_attr_destroy(&attributes);
    if (error != 0) {
        FStarted = false;
        FFinished = true;
        throw std::system_error(error, std::generic_category(), "Cannot create a thread");
    }
    if (freeOnTerminate) {
        return; // the body may already have deleted this object: touch nothing of it
    }
    FThread = thread;
    FJoinable = true;
}

void TWorkerThread::Terminate() {
    FTerminated = true;
}

void TWorkerThread::WaitFor() {
    if (FFreeOnTerminate) {
        throw Exception("Cannot wait for a thread that frees itself");
    }
    if (IsCurrent()) {
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

void* TWorkerThread::ThreadEntry(void* self) {
    static_cast<TWorkerThread*>(self)->ThreadProc();
    return nullptr;
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

bool TWorkerThread::IsCurrent() {
    std::lock_guard lock(FJoinLock);
    return FJoinable && ::pthread_equal(FThread, ::pthread_self()) != 0;
}

void TWorkerThread::Join() {
    std::lock_guard lock(FJoinLock);
    if (!FJoinable) {
        return;
    }
    FJoinable = false;
    if (::pthread_equal(FThread, ::pthread_self()) != 0) {
        // Deleted by its own body: still running, so the detach cannot race with its exit.
        ::pthread_detach(FThread);
    } else {
        ::pthread_join(FThread, nullptr);
    }
}

void TThreadFree::operator()(TWorkerThread* thread) const {
    thread->Terminate();
    thread->WaitFor();
    delete thread;
}

} // namespace vx
