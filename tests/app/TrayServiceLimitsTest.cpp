// The decision service of the tray window under requests that try to cost it without end:
// pending decisions beyond their bound and a request head that never completes.
#include "TrayHarness.h"
#include "decisions/MonitorPeer.h"
#include "health/HttpClient.h"
#include "support/LoopbackPort.h"

#include <arpa/inet.h>
#include <chrono>
#include <future>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace vx::app::test {
namespace {

using namespace std::chrono_literals;

constexpr auto RequestDeadline = 300ms;

class TrayServiceLimits : public ::testing::Test {
protected:
    void SetUp() override {
        FServices = std::make_unique<TTrayServices>(VX_DEFAULT_PREFIX, VX_SCANLIB_DLL);
        TTrayOptions options;
        options.DecisionPort = vx::test::FreeLoopbackPort();
        options.VerdictPort = vx::test::FreeLoopbackPort();
        options.MakeLoader = [] { return std::unique_ptr<TWelcomeInfoLoaderThread>(); };
        options.PendingLimits.Deadline = RequestDeadline;
        FPort = options.DecisionPort;
        FWindow = std::make_unique<TFormPlimmTrayStatus>(std::move(options));
        ASSERT_TRUE(WaitUntilServing(FPort, "VXTray"));
    }
    void TearDown() override {
        FWindow.reset();
        FServices.reset();
    }

    // The raw answer to one GET of `path`, while Qt's loop runs.
    std::string Get(const std::string& path) {
        auto answer = std::async(std::launch::async, [port = FPort, path] {
            std::string body;
            std::int32_t error = 0;
            health::HttpGetToString(health::BuildHttpURL("127.0.0.1", port, path), body, error);
            return std::to_string(error) + "|" + body;
        });
        EXPECT_TRUE(WaitUntil([&] { return answer.wait_for(0s) == std::future_status::ready; }));
        return answer.get();
    }

    decisions::TDecisionList& Decisions() { return FWindow->DecisionDaemon().Decisions(); }

    std::unique_ptr<TTrayServices> FServices;
    std::unique_ptr<TFormPlimmTrayStatus> FWindow;
    int FPort = 0;
};

TEST_F(TrayServiceLimits, TheDecisionBeyondTheBoundIsRefusedAndLogged) {
    const std::string add = "/add?" + decisions::AddQuery({"module=m", "information=i"});
    for (int i = 0; i < 9999; ++i) {
        Decisions().Add({"module=m", "information=i"});
    }
    EXPECT_EQ(Get(add).substr(0, 7), "0|id=99");
    EXPECT_EQ(Decisions().Count(), 10000);
    // 504 is an answer, not an error of the client; the body is empty.
    EXPECT_EQ(Get(add), "0|");
    EXPECT_EQ(Decisions().Count(), 10000);
    EXPECT_NE(Get("/log").find("Decision not accepted: 10000 pending decisions"),
              std::string::npos);
}

// Silent after part of its head: dropped unanswered at the deadline, holding no thread.
TEST_F(TrayServiceLimits, AHeadThatNeverCompletesIsDropped) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(FPort));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const std::string head = "GET /status HTTP/1.0\r\nHost: a\r\n";
    ASSERT_EQ(::send(fd, head.data(), head.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(head.size()));
    char byte = 0;
    pollfd closed{fd, POLLIN, 0};
    ASSERT_TRUE(WaitUntil(
        [&] { return ::poll(&closed, 1, 0) == 1 && ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0; }));
    ::close(fd);
    EXPECT_EQ(FWindow->DecisionDaemon().RequestThreads()->Peak(), 1); // only the probe's
}

} // namespace
} // namespace vx::app::test
