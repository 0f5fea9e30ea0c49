#pragma once

#include "TestService.h"
#include "httpservice/MachineKey.h"
#include "platform/UiThread.h"
#include "support/LoopbackPort.h"
#include "support/Pumped.h"

#include <chrono>
#include <string>

#include <gtest/gtest.h>

namespace vx::httpservice::test {

using vx::test::Pumped;

inline constexpr const char* TestMachineKey = "12345-OEM-0000001-00000";

// A test service on a free loopback port, with the test thread as the UI thread.
class ServiceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        UiThread::Attach();
        SetMachineKey(TestMachineKey);
        FBehaviour->RequestDeadlineMs = 300;
        FPort = FreeLoopbackPort();
        FDaemon = StartThread<TTestDaemon>(FPort, FBehaviour);
        FCounter = FDaemon->RequestThreads();
        ASSERT_TRUE(WaitFor([&] { return !FDaemon->ServiceLog()->Entries().empty(); }));
    }

    void TearDown() override {
        FDaemon.reset();
        // Request threads end once their clients are gone; none may outlive the case.
        EXPECT_TRUE(WaitFor([&] { return FCounter->Count() == 0; }));
        ClearMachineKey();
        UiThread::Detach();
    }

    // Pumps the UI thread until `done` holds (at most 30 s).
    static bool WaitFor(const std::function<bool()>& done) { return vx::test::PumpUntil(done); }

    std::string Ask(const std::string& request) {
        return Pumped([port = FPort, request] { return Exchange(port, request); });
    }

    std::shared_ptr<TBehaviour> FBehaviour = std::make_shared<TBehaviour>();
    int FPort = 0;
    TThreadPtr<TTestDaemon> FDaemon;
    std::shared_ptr<TThreadCounter> FCounter;
};

} // namespace vx::httpservice::test
