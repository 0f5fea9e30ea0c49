#pragma once

#include "decisions/DecisionServer.h"
#include "httpservice/MachineKey.h"
#include "httpservice/TestService.h"
#include "platform/UiThread.h"
#include "support/LoopbackPort.h"
#include "support/TestPeer.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::decisions::test {

// The decision daemon on a test port, counting the passes of its loop and the notifications
// the loop made (each one moves LastCount).
class TTestDecisionDaemon : public TPlimmDecisionDaemon {
public:
    TTestDecisionDaemon(int Port, int VerdictPort) : TPlimmDecisionDaemon(VerdictPort, Port) {}

    std::atomic<int> Passes{0};
    std::atomic<int> LoopNotifications{0};

protected:
    void DoLoop() override {
        const std::uint32_t Before = LastCount();
        TPlimmDecisionDaemon::DoLoop();
        if (LastCount() != Before) {
            ++LoopNotifications;
        }
        ++Passes;
    }
};

// One answer of the server, split up.
struct TReply {
    bool Answered = false;
    int Status = 0;
    std::vector<std::string> Headers;
    std::string Body;

    bool HasHeader(const std::string& Line) const;
};

// Splits a raw answer; WithHeaders: the request had a protocol, so header lines and an empty
// line come between the status line and the body.
TReply ParseReply(const std::string& Raw, bool WithHeaders = true);

// The lines of a body, each of which must end with CR LF.
std::vector<std::string> BodyLines(const std::string& Body);

// A decision daemon on a free loopback port, with the test thread as the user-interface
// thread and a handler that counts its calls.
class DecisionServerFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Pumps the user-interface thread until Done holds (at most 30 s).
    static bool WaitFor(const std::function<bool()>& Done);
    // Pumps until the daemon's loop has made Count more passes.
    void WaitPasses(int Count);

    // Runs Fn on another thread while the user-interface thread pumps; returns its result.
    template <class F>
    static auto Pumped(F Fn) {
        auto Result = std::async(std::launch::async, std::move(Fn));
        WaitFor(
            [&] { return Result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
        return Result.get();
    }

    std::string AskRaw(const std::string& Request);
    TReply Ask(const std::string& Request);
    // GET /add?Query HTTP/1.0
    TReply Add(const std::string& Query);

    int FPort = 0;
    int FVerdictPort = vx::test::FreeLoopbackPort();
    TThreadPtr<TTestDecisionDaemon> FDaemon;
    std::shared_ptr<httpservice::TThreadCounter> FRequestThreads;
    // Calls of the owner's handler, and the list's count at each; user-interface thread only.
    int FCalls = 0;
    std::vector<int> FCountsSeen;
    // Runs inside the handler after the counting.
    std::function<void(TDecisionList&)> FOnChange;
};

} // namespace vx::decisions::test
