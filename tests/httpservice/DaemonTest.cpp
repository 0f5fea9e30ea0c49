#include "ServiceFixture.h"
#include "platform/Exception.h"
#include "platform/Prefix.h"
#include "support/LoopbackPort.h"
#include "support/TempPrefix.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

namespace vx::httpservice::test {
namespace {

using namespace std::chrono_literals;

std::string Listening(int port) {
    return "127.0.0.1 [] Listening on port " + std::to_string(port) + "...";
}

bool Refused(int port) {
    return !TClient(port).Connected();
}

// A daemon of the test service, started on `port` with an optional loop hook.
TThreadPtr<TTestDaemon> StartDaemon(int port, std::function<void(TTestDaemon&)> onLoop = {}) {
    TThreadPtr<TTestDaemon> daemon(new TTestDaemon(port));
    daemon->FOnLoop = std::move(onLoop);
    daemon->Start();
    return daemon;
}

class DaemonTest : public ::testing::Test {
protected:
    void SetUp() override {
        UiThread::Attach();
        SetMachineKey(TestMachineKey);
    }
    void TearDown() override {
        ClearMachineKey();
        UiThread::Detach();
    }

    static bool WaitFor(const std::function<bool()>& done) {
        return UiThread::PumpUntil(done, 30s);
    }
    static bool WaitForEntries(const TTestDaemon& daemon, std::size_t count) {
        return WaitFor([&] { return daemon.ServiceLog()->Entries().size() >= count; });
    }
    static bool Serves(int port) {
        return Exchange(port, "GET /integrity-local HTTP/1.0\r\n\r\n").starts_with("HTTP/1.0 200");
    }
};

TEST_F(DaemonTest, FirstEntrySaysWhereItListens) {
    const int port = FreeLoopbackPort();
    auto daemon = StartDaemon(port);
    ASSERT_TRUE(WaitForEntries(*daemon, 1));
    EXPECT_EQ(Messages(*daemon->ServiceLog()), (std::vector<std::string>{"9 " + Listening(port)}));
    EXPECT_EQ(daemon->Port(), std::to_string(port));
    EXPECT_TRUE(Serves(port));
}

TEST_F(DaemonTest, APortInUseEndsTheBodyAndLeavesTheHolderAlone) {
    const int port = FreeLoopbackPort();
    TPortBlocker holder(port);
    ASSERT_TRUE(holder.Held());
    auto daemon = StartDaemon(port);
    WaitFor([&] { return daemon->Finished(); });
    EXPECT_TRUE(daemon->Finished());
    EXPECT_EQ(
        Messages(*daemon->ServiceLog()),
        (std::vector<std::string>{"e 127.0.0.1 [] Error binding to interface: Port already in use!",
                                  "9 " + Listening(port)}));
    EXPECT_TRUE(TClient(port).Connected()); // the holder's backlog still takes connections
}

TEST_F(DaemonTest, StopWhileIdleEndsTheBodyAndASecondRunDoesNothing) {
    const int port = FreeLoopbackPort();
    auto daemon = StartDaemon(port);
    ASSERT_TRUE(WaitForEntries(*daemon, 1));
    // Idle in its loop: a stop that came before the first pass would end it without one.
    ASSERT_TRUE(WaitFor([&] { return daemon->FLoops > 0; }));
    daemon->Stop();
    daemon->WaitFor();
    EXPECT_TRUE(daemon->Finished());

    const int loops = daemon->FLoops;
    daemon->RunBodyAgain();
    EXPECT_EQ(daemon->ServiceLog()->Entries().size(), 1u);
    EXPECT_EQ(daemon->FLoops, loops);
    daemon.reset();
    EXPECT_TRUE(Refused(port));
}

TEST_F(DaemonTest, RebindToAFreePortMovesTheService) {
    const int a = FreeLoopbackPort();
    const int b = FreeLoopbackPort();
    auto daemon = StartDaemon(a);
    ASSERT_TRUE(WaitForEntries(*daemon, 1));
    ASSERT_TRUE(Serves(a)); // a served connection leaves port A in TIME_WAIT
    daemon->SetRequestedPort(std::to_string(b));
    ASSERT_TRUE(WaitForEntries(*daemon, 3));
    EXPECT_EQ(Messages(*daemon->ServiceLog()),
              (std::vector<std::string>{"9 " + Listening(a),
                                        "5 127.0.0.1 [] Rebinding from port " + std::to_string(a) +
                                            " to port " + std::to_string(b) + "...",
                                        "5 " + Listening(b)}));
    EXPECT_TRUE(Serves(b));
    EXPECT_TRUE(Refused(a));

    // And back to A, which connections served there a moment ago must not block.
    daemon->SetRequestedPort(std::to_string(a));
    ASSERT_TRUE(WaitForEntries(*daemon, 5));
    EXPECT_EQ(Messages(*daemon->ServiceLog()).back(), "5 " + Listening(a));
    EXPECT_TRUE(Serves(a));
}

TEST_F(DaemonTest, RebindToATakenPortFallsBackToThePreviousOne) {
    const int a = FreeLoopbackPort();
    const int b = FreeLoopbackPort();
    TPortBlocker holder(b);
    auto daemon = StartDaemon(a);
    ASSERT_TRUE(WaitForEntries(*daemon, 1));
    daemon->SetRequestedPort(std::to_string(b));
    ASSERT_TRUE(WaitForEntries(*daemon, 6));
    EXPECT_EQ(
        Messages(*daemon->ServiceLog()),
        (std::vector<std::string>{
            "9 " + Listening(a),
            "5 127.0.0.1 [] Rebinding from port " + std::to_string(a) + " to port " +
                std::to_string(b) + "...",
            "e 127.0.0.1 [] Error binding to interface: Port already in use!", "5 " + Listening(b),
            "5 127.0.0.1 [] Rebinding to previous port " + std::to_string(a) + "...!",
            "5 " + Listening(a)}));
    EXPECT_EQ(daemon->Port(), std::to_string(a));
    EXPECT_EQ(daemon->RequestedPort(), std::to_string(a));
    EXPECT_TRUE(Serves(a));
}

TEST_F(DaemonTest, AnErrorInDoLoopEndsTheBodyQuietly) {
    auto daemon =
        StartDaemon(FreeLoopbackPort(), [](TTestDaemon&) { throw Exception("loop broke"); });
    WaitFor([&] { return daemon->Finished(); });
    EXPECT_TRUE(daemon->Finished());
    EXPECT_TRUE(daemon->FatalException());
}

TEST_F(DaemonTest, FreeingItWhileWorkersWaitForTheUiThreadDoesNotDeadlock) {
    const int port = FreeLoopbackPort();
    std::atomic<bool> loopWaitsForUi{false};
    // Once asked, DoLoop reaches the UI thread on every pass, as the decision server's does.
    auto daemon = StartDaemon(port, [&](TTestDaemon&) {
        if (loopWaitsForUi) {
            TWorkerThread::Synchronize([] {});
        }
    });
    ASSERT_TRUE(WaitForEntries(*daemon, 1));
    const auto counter = daemon->RequestThreads();

    // Failing requests whose threads block in LogLine until the UI thread pumps.
    std::vector<std::future<std::string>> answers;
    for (int i = 0; i < 8; ++i) {
        answers.push_back(std::async(
            std::launch::async, [port] { return Exchange(port, "GET /fail HTTP/1.0\r\n\r\n"); }));
    }
    // Without pumping: wait until all are stuck and the loop is stuck too, then free it.
    for (int i = 0; i < 5000 && counter->Count() < 8; ++i) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(counter->Count(), 8);
    loopWaitsForUi = true;
    std::this_thread::sleep_for(150ms);
    daemon.reset(); // waits for the body while serving Synchronize

    WaitFor([&] {
        for (auto& a : answers) {
            if (a.wait_for(0s) != std::future_status::ready) {
                return false;
            }
        }
        return true;
    });
    for (auto& a : answers) {
        EXPECT_TRUE(a.get().starts_with("HTTP/1.0 500\r\n"));
    }
    EXPECT_TRUE(WaitFor([&] { return counter->Count() == 0; }));
}

// The exit paths run in a child process that shares a prefix folder with this one through
// the environment, so that this process can read the child's log file afterwards.
class DaemonExitTest : public DaemonTest {
protected:
    void SetUp() override {
        DaemonTest::SetUp();
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        if (const char* inherited = std::getenv(PrefixVariable)) {
            FDir = inherited;
        } else {
            FPrefix = std::make_unique<vx::test::TTempPrefix>();
            FDir = FPrefix->Dir();
            std::filesystem::create_directory(FDir / "drive_c");
            ::setenv(PrefixVariable, FDir.c_str(), 1);
        }
        FOldPrefix = win::CurrentPrefixDir();
        win::SetCurrentPrefixDir(FDir);
    }
    void TearDown() override {
        win::SetCurrentPrefixDir(FOldPrefix);
        if (FPrefix) {
            ::unsetenv(PrefixVariable);
        }
        DaemonTest::TearDown();
    }

    // The messages of the log file's lines (what follows "127.0.0.1  ").
    std::vector<std::string> FileMessages() const {
        std::ifstream in(FDir / "drive_c" / "VXUpdate.log", std::ios::binary);
        std::vector<std::string> messages;
        std::string line;
        while (std::getline(in, line)) {
            line.pop_back(); // the CR of the CR LF
            const auto source = line.find(" 127.0.0.1  ");
            messages.push_back(line.substr(0, 1) + " " + line.substr(source + 12));
        }
        return messages;
    }

    static constexpr const char* PrefixVariable = "VX_TEST_EXIT_PREFIX";
    std::unique_ptr<vx::test::TTempPrefix> FPrefix;
    std::filesystem::path FDir;
    std::filesystem::path FOldPrefix;
};

TEST_F(DaemonExitTest, AFailedFallbackExitsWithCode1BeforeListeningAgain) {
    auto child = [] {
        const int a = FreeLoopbackPort();
        const int b = FreeLoopbackPort();
        TPortBlocker holdB(b);
        std::unique_ptr<TPortBlocker> holdA;
        // Once the daemon has fallen back (on B, asked to return to A), A gets taken too.
        auto daemon = StartDaemon(a, [&](TTestDaemon& self) {
            if (!holdA && self.Port() == std::to_string(b) &&
                self.RequestedPort() == std::to_string(a)) {
                holdA = std::make_unique<TPortBlocker>(a);
            }
        });
        WaitForEntries(*daemon, 1);
        daemon->SetRequestedPort(std::to_string(b));
        std::this_thread::sleep_for(30s);
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(1), "");

    const auto messages = FileMessages();
    ASSERT_EQ(messages.size(), 6u);
    const std::regex expected[] = {
        std::regex(R"(9 Listening on port (\d+)\.\.\.)"),
        std::regex(R"(5 Rebinding from port (\d+) to port (\d+)\.\.\.)"),
        std::regex("e Error binding to interface: Port already in use!"),
        std::regex(R"(5 Listening on port (\d+)\.\.\.)"),
        std::regex(R"(5 Rebinding to previous port (\d+)\.\.\.!)"),
        std::regex("e Error binding to interface: Port already in use!")};
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_TRUE(std::regex_match(messages[i], expected[i])) << i << ": " << messages[i];
    }
}

TEST_F(DaemonExitTest, ASocketErrorExitsWithCode1AfterOneEntry) {
    auto child = [] {
        // Binding the bound listening socket again fails with a socket error.
        auto daemon = StartDaemon(FreeLoopbackPort(), [](TTestDaemon& self) {
            self.ListeningSocket().Bind("127.0.0.1", 1);
            self.CheckSocketError("Error binding to interface: %s!");
        });
        std::this_thread::sleep_for(30s);
    };
    EXPECT_EXIT(child(), ::testing::ExitedWithCode(1), "");

    const auto messages = FileMessages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(std::regex_match(messages[0], std::regex(R"(9 Listening on port \d+\.\.\.)")));
    EXPECT_EQ(messages[1], "e Error binding to interface: Invalid argument!");
}

} // namespace
} // namespace vx::httpservice::test
