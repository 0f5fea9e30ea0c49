#pragma once

#include "decisions/DecisionServer.h"
#include "httpservice/MachineKey.h"
#include "httpservice/TestService.h"
#include "platform/UiThread.h"
#include "support/LoopbackPort.h"
#include "support/Pumped.h"
#include "support/TestPeer.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::decisions::test {

using vx::test::Pumped;

// The decision daemon on a test port, counting the passes of its loop and the notifications
// the loop made (each one moves LastCount).
class TTestDecisionDaemon : public TPlimmDecisionDaemon {
public:
    TTestDecisionDaemon(int port, int verdictPort) : TPlimmDecisionDaemon(verdictPort, port) {}

    std::atomic<int> Passes{0};
    std::atomic<int> LoopNotifications{0};

protected:
    void DoLoop() override {
        const std::uint32_t before = LastCount();
        TPlimmDecisionDaemon::DoLoop();
        if (LastCount() != before) {
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

    bool HasHeader(const std::string& line) const;
};

// Splits a raw answer; `withHeaders`: the request had a protocol, so header lines and an empty
// line come between the status line and the body.
TReply ParseReply(const std::string& raw, bool withHeaders = true);

// The lines of a body, each of which must end with CR LF.
std::vector<std::string> BodyLines(const std::string& body);

// A decision daemon on a free loopback port, with the test thread as the user-interface
// thread and a handler that counts its calls.
class DecisionServerFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Pumps the user-interface thread until `done` holds (at most 30 s).
    static bool WaitFor(const std::function<bool()>& done);
    // Pumps until the daemon's loop has made `count` more passes.
    void WaitPasses(int count);

    std::string AskRaw(const std::string& request);
    TReply Ask(const std::string& request);
    // "GET /add?" + `query` + " HTTP/1.0"
    TReply Add(const std::string& query);

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
