#include "platform/Exception.h"
#include "platform/ThreadPool.h"
#include "platform/UiThread.h"
#include "platform/WorkerThread.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <future>
#include <pthread.h>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace vx {
namespace {

using namespace std::chrono_literals;

// Runs a function as its body.
class TFnThread : public TWorkerThread {
public:
    explicit TFnThread(std::function<void(TFnThread&)> body, std::atomic<int>* freed = nullptr)
        : FBody(std::move(body)), FFreed(freed) {}
    ~TFnThread() override {
        if (FFreed != nullptr) {
            ++*FFreed;
        }
    }
    using TWorkerThread::Terminated;

protected:
    void Execute() override { FBody(*this); }
    void DoTerminate() override { FTerminateNotified = true; }

public:
    std::atomic<bool> FTerminateNotified{false};

private:
    std::function<void(TFnThread&)> FBody;
    std::atomic<int>* FFreed;
};

// The test thread is the UI thread while a case runs.
class UiThreadTest : public ::testing::Test {
protected:
    void SetUp() override { UiThread::Attach(); }
    void TearDown() override {
        UiThread::SetWaker({});
        UiThread::Detach();
    }
};

TEST(WorkerThreadTest, BodyRunsOnceOnItsOwnThreadThenTheNotification) {
    std::atomic<int> runs{0};
    std::thread::id bodyThread;
    auto thread = StartThread<TFnThread>([&](TFnThread&) {
        ++runs;
        bodyThread = std::this_thread::get_id();
    });
    thread->WaitFor();
    EXPECT_EQ(runs, 1);
    EXPECT_NE(bodyThread, std::this_thread::get_id());
    EXPECT_TRUE(thread->Finished());
    EXPECT_TRUE(thread->FTerminateNotified);
    EXPECT_THROW(thread->Start(), Exception);
}

TEST(WorkerThreadTest, TerminateEndsAPollingBodyAndFreeWaitsForIt) {
    std::atomic<bool> ended{false};
    {
        auto thread = StartThread<TFnThread>([&](TFnThread& self) {
            while (!self.Terminated()) {
                std::this_thread::sleep_for(1ms);
            }
            ended = true;
        });
    } // TThreadFree: Terminate, WaitFor, delete
    EXPECT_TRUE(ended);
}

TEST(WorkerThreadTest, AnEscapingErrorEndsTheBodyQuietlyAndIsKept) {
    auto thread = StartThread<TFnThread>([](TFnThread&) { throw Exception("boom"); });
    thread->WaitFor();
    ASSERT_TRUE(thread->FatalException());
    EXPECT_THROW(std::rethrow_exception(thread->FatalException()), Exception);
}

TEST(WorkerThreadTest, FreeOnTerminateThreadDeletesItself) {
    std::atomic<int> freed{0};
    auto* thread = new TFnThread([](TFnThread&) {}, &freed);
    thread->SetFreeOnTerminate(true);
    EXPECT_THROW(thread->WaitFor(), Exception);
    thread->Start();
    for (int i = 0; i < 5000 && freed == 0; ++i) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(freed, 1);
}

// The attributes the body's own thread runs with.
struct TBodyAttributes {
    int DetachState = -1;
    std::size_t StackSize = 0;
};

TBodyAttributes CurrentThreadAttributes() {
    TBodyAttributes seen;
    pthread_attr_t attributes;
    if (::pthread_getattr_np(::pthread_self(), &attributes) == 0) {
        ::pthread_attr_getdetachstate(&attributes, &seen.DetachState);
        ::pthread_attr_getstacksize(&attributes, &seen.StackSize);
        ::pthread_attr_destroy(&attributes);
    }
    return seen;
}

// A self-freeing thread must never be detached after its start: the detach could meet the
// thread's exit, whose stack the C library may already have unmapped.
TEST(WorkerThreadTest, ASelfFreeingThreadIsBornDetachedWithTheStackAskedFor) {
    constexpr std::size_t stackSize = std::size_t{256} * 1024;
    std::promise<TBodyAttributes> seen;
    auto* thread = new TFnThread([&](TFnThread&) { seen.set_value(CurrentThreadAttributes()); });
    thread->SetFreeOnTerminate(true);
    thread->SetStackSize(stackSize);
    thread->Start();
    const TBodyAttributes attributes = seen.get_future().get();
    EXPECT_EQ(attributes.DetachState, PTHREAD_CREATE_DETACHED);
    EXPECT_GE(attributes.StackSize, stackSize); // sanitizers may add to it

    TBodyAttributes owned;
    StartThread<TFnThread>([&](TFnThread&) { owned = CurrentThreadAttributes(); })->WaitFor();
    EXPECT_EQ(owned.DetachState, PTHREAD_CREATE_JOINABLE);
}

// Starts a self-freeing thread running `body` on `pool`.
void StartOnPool(const std::shared_ptr<TThreadPool>& pool, std::function<void(TFnThread&)> body,
                 std::atomic<int>* freed = nullptr) {
    auto* thread = new TFnThread(std::move(body), freed);
    thread->SetFreeOnTerminate(true);
    thread->SetThreadPool(pool);
    thread->Start();
}

// A body that runs until `hold` is cleared.
std::function<void(TFnThread&)> WhileHeld(const std::atomic<bool>& hold) {
    return [&hold](TFnThread&) {
        while (hold) {
            std::this_thread::sleep_for(1ms);
        }
    };
}

bool Eventually(const std::function<bool()>& done) {
    for (int i = 0; i < 5000; ++i) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

TEST(ThreadPoolTest, BodiesOneAfterAnotherShareOneThread) {
    auto pool = std::make_shared<TThreadPool>(TThreadPool::TSettings{});
    std::atomic<int> freed{0};
    std::vector<std::thread::id> ranOn;
    for (int i = 0; i < 5; ++i) {
        std::promise<std::thread::id> seen;
        StartOnPool(
            pool, [&](TFnThread&) { seen.set_value(std::this_thread::get_id()); }, &freed);
        ranOn.push_back(seen.get_future().get());
        ASSERT_TRUE(Eventually([&] { return freed == i + 1 && pool->Idle() == 1; }));
    }
    EXPECT_EQ(std::count(ranOn.begin(), ranOn.end(), ranOn[0]), 5);
    EXPECT_NE(ranOn[0], std::this_thread::get_id());
}

TEST(ThreadPoolTest, AtMostMaxIdleThreadsWaitAndOnlyForTheIdleTime) {
    TThreadPool::TSettings settings;
    settings.MaxIdle = 2;
    settings.IdleTime = 300ms;
    auto pool = std::make_shared<TThreadPool>(settings);
    std::atomic<bool> hold{true};
    std::atomic<int> freed{0};
    for (int i = 0; i < 5; ++i) {
        StartOnPool(pool, WhileHeld(hold), &freed);
    }
    EXPECT_EQ(pool->Idle(), 0u); // five bodies at once: five threads
    hold = false;
    ASSERT_TRUE(Eventually([&] { return freed == 5; }));
    EXPECT_TRUE(Eventually([&] { return pool->Idle() == 2; }));
    EXPECT_TRUE(Eventually([&] { return pool->Idle() == 0; }));
}

TEST(ThreadPoolTest, ABodyOutlivesItsPool) {
    auto pool = std::make_shared<TThreadPool>(TThreadPool::TSettings{});
    std::atomic<bool> hold{true};
    std::atomic<int> freed{0};
    StartOnPool(
        pool, [](TFnThread&) {}, &freed);
    ASSERT_TRUE(Eventually([&] { return pool->Idle() == 1; }));
    StartOnPool(pool, WhileHeld(hold), &freed);
    pool.reset(); // the body's thread object still holds the pool
    hold = false;
    EXPECT_TRUE(Eventually([&] { return freed == 2; }));
}

TEST(ThreadPoolTest, OnlyASelfFreeingThreadRunsOnAPool) {
    TFnThread thread([](TFnThread&) {});
    thread.SetThreadPool(std::make_shared<TThreadPool>(TThreadPool::TSettings{}));
    EXPECT_THROW(thread.Start(), Exception);
}

TEST(WorkerThreadTest, WaitForOnANeverStartedThreadReturns) {
    TFnThread thread([](TFnThread&) {});
    thread.WaitFor();
    EXPECT_TRUE(thread.Finished());
}

TEST(WorkerThreadTest, SynchronizeWithoutAUiThreadRunsOnTheCaller) {
    std::thread::id ranOn;
    auto thread = StartThread<TFnThread>([&](TFnThread&) {
        TWorkerThread::Synchronize([&] { ranOn = std::this_thread::get_id(); });
    });
    thread->WaitFor();
    EXPECT_NE(ranOn, std::thread::id());
    EXPECT_NE(ranOn, std::this_thread::get_id());
}

TEST_F(UiThreadTest, SynchronizeRunsOnTheUiThreadAndBlocksUntilDone) {
    std::thread::id ranOn;
    std::atomic<bool> returned{false};
    auto thread = StartThread<TFnThread>([&](TFnThread&) {
        TWorkerThread::Synchronize([&] { ranOn = std::this_thread::get_id(); });
        returned = true;
    });
    // Not pumped yet: the worker must still be waiting.
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(returned);
    thread->WaitFor(); // pumps
    EXPECT_TRUE(returned);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(UiThreadTest, AnErrorOnTheUiThreadIsRethrownInTheWorker) {
    std::string caught;
    auto thread = StartThread<TFnThread>([&](TFnThread&) {
        try {
            TWorkerThread::Synchronize([] { throw Exception("from the UI"); });
        } catch (const Exception& e) {
            caught = e.Message();
        }
    });
    thread->WaitFor();
    EXPECT_EQ(caught, "from the UI");
}

TEST_F(UiThreadTest, SynchronizeOnTheUiThreadRunsAtOnce) {
    bool ran = false;
    TWorkerThread::Synchronize([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(UiThread::Pump(), 0);
}

TEST_F(UiThreadTest, WaitingForManyWorkersBlockedInSynchronizeDoesNotDeadlock) {
    std::atomic<int> served{0};
    std::vector<TThreadPtr<TFnThread>> threads;
    for (int i = 0; i < 8; ++i) {
        threads.push_back(StartThread<TFnThread>([&](TFnThread& self) {
            while (!self.Terminated()) {
                TWorkerThread::Synchronize([&] { ++served; });
            }
        }));
    }
    std::this_thread::sleep_for(20ms);
    threads.clear(); // each free waits while pumping the others' calls
    EXPECT_GT(served, 0);
}

TEST_F(UiThreadTest, TheWakerIsCalledForEveryQueuedCall) {
    std::atomic<int> wakes{0};
    UiThread::SetWaker([&] { ++wakes; });
    auto thread = StartThread<TFnThread>([](TFnThread&) {
        TWorkerThread::Synchronize([] {});
        TWorkerThread::Synchronize([] {});
    });
    thread->WaitFor();
    EXPECT_EQ(wakes, 2);
}

TEST_F(UiThreadTest, DetachRunsQueuedCallsAndLaterCallsRunOnTheirCaller) {
    std::promise<void> queued;
    UiThread::SetWaker([&] { queued.set_value(); });
    std::thread::id first;
    std::thread::id second;
    std::thread worker([&] {
        TWorkerThread::Synchronize([&] { first = std::this_thread::get_id(); });
        TWorkerThread::Synchronize([&] { second = std::this_thread::get_id(); });
    });
    const auto workerId = worker.get_id();
    queued.get_future().wait();
    UiThread::SetWaker({});
    UiThread::Detach();
    worker.join();
    EXPECT_EQ(first, std::this_thread::get_id());
    EXPECT_EQ(second, workerId);
}

TEST_F(UiThreadTest, PumpUntilServesCallsAndReportsTheOutcome) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        TWorkerThread::Synchronize([] {});
        done = true;
    });
    EXPECT_TRUE(UiThread::PumpUntil([&] { return done.load(); }, 10s));
    worker.join();
    EXPECT_FALSE(UiThread::PumpUntil([] { return false; }, 20ms));
}

} // namespace
} // namespace vx
