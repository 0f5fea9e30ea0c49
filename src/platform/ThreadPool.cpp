#include "platform/ThreadPool.h"

#include "platform/WorkerThread.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <pthread.h>
#include <system_error>
#include <vector>

namespace vx {
namespace {

// The mailbox of one idle pooled thread, on that thread's stack.
struct TSlot {
    std::condition_variable Wake;
    TWorkerThread* Body = nullptr;
};

} // namespace

struct TThreadPool::TState {
    TSettings Settings;
    mutable std::mutex Lock;
    std::vector<TSlot*> Idle; // the one idle shortest last: its stack is still in the cache
    bool Closing = false;
};

namespace {

struct TStart {
    std::shared_ptr<TThreadPool::TState> State;
    TWorkerThread* Body;
};

} // namespace

TThreadPool::TThreadPool(const TSettings& settings) : FState(std::make_shared<TState>()) {
    FState->Settings = settings;
}

TThreadPool::~TThreadPool() {
    std::lock_guard lock(FState->Lock);
    FState->Closing = true;
    for (TSlot* slot : FState->Idle) {
        slot->Wake.notify_one();
    }
}

std::size_t TThreadPool::Idle() const {
    std::lock_guard lock(FState->Lock);
    return FState->Idle.size();
}

void TThreadPool::Run(TWorkerThread& thread) {
    {
        std::lock_guard lock(FState->Lock);
        if (!FState->Idle.empty()) {
            TSlot* slot = FState->Idle.back();
            FState->Idle.pop_back();
            slot->Body = &thread;
            // Under the lock: once it is released the woken thread may end, slot and all.
            slot->Wake.notify_one();
            return;
        }
    }
    pthread_attr_t attributes;
    ::pthread_attr_init(&attributes);
    int error = ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (error == 0 && FState->Settings.StackSize > 0) {
        error = ::pthread_attr_setstacksize(&attributes, FState->Settings.StackSize);
    }
    auto start = std::make_unique<TStart>(TStart{FState, &thread});
    pthread_t handle{};
    if (error == 0) {
        error = ::pthread_create(&handle, &attributes, &TThreadPool::ThreadMain, start.get());
    }
    ::pthread_attr_destroy(&attributes);
    if (error != 0) {
        throw std::system_error(error, std::generic_category(), "Cannot create a thread");
    }
    static_cast<void>(start.release()); // the new thread owns it
}

void* TThreadPool::ThreadMain(void* start) {
    std::unique_ptr<TStart> owned(static_cast<TStart*>(start));
    const std::shared_ptr<TState> state = std::move(owned->State);
    TWorkerThread* body = owned->Body;
    owned.reset();
    TSlot slot;
    for (;;) {
        body->ThreadProc(); // frees the thread object
        std::unique_lock lock(state->Lock);
        if (state->Closing || state->Idle.size() >= state->Settings.MaxIdle) {
            return nullptr;
        }
        slot.Body = nullptr;
        state->Idle.push_back(&slot);
        slot.Wake.wait_for(lock, state->Settings.IdleTime,
                           [&] { return slot.Body != nullptr || state->Closing; });
        if (slot.Body == nullptr) {
            state->Idle.erase(std::find(state->Idle.begin(), state->Idle.end(), &slot));
            return nullptr;
        }
        body = slot.Body;
    }
}

} // namespace vx
