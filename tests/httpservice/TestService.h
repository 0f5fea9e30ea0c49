#pragma once

#include "httpservice/DaemonThread.h"
#include "httpservice/InstanceThread.h"
#include "support/LoopbackPort.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vx::httpservice::test {

using vx::test::FreeLoopbackPort;

// A socket bound (not listening) to 127.0.0.1:port, holding the port while it lives.
class TPortBlocker {
public:
    explicit TPortBlocker(int port, bool listen = true);
    ~TPortBlocker();
    TPortBlocker(const TPortBlocker&) = delete;
    TPortBlocker& operator=(const TPortBlocker&) = delete;
    bool Held() const { return FHandle >= 0; }

private:
    int FHandle = -1;
};

// A raw client connection to 127.0.0.1:port.
class TClient {
public:
    // `receiveBuffer`: a receive buffer of about this many bytes instead of the system's.
    explicit TClient(int port, int receiveBuffer = 0);
    ~TClient();
    TClient(const TClient&) = delete;
    TClient& operator=(const TClient&) = delete;

    bool Connected() const { return FHandle >= 0; }
    bool Send(const std::string& bytes);
    // No more data from this side (the server sees the end of the input).
    void ShutdownSend();
    // Everything received until the server closes, or until `timeout` passes (then
    // TimedOut() is true).
    std::string ReadAll(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool TimedOut() const { return FTimedOut; }

private:
    int FHandle = -1;
    bool FTimedOut = false;
};

// `count` header lines "X-H<i>: v", each with its CR LF.
std::string HeaderLines(int count);

// Sends `request` on a new connection and returns all of the answer; the calling thread
// must not be the UI thread unless no handler fails (LogLine waits for the UI thread).
std::string Exchange(int port, const std::string& request);

// What the test service and its request threads do and saw. The limits apply from the
// daemon's next pass on.
struct TBehaviour {
    std::atomic<int> RequestDeadlineMs{30000};
    std::atomic<std::size_t> PendingConnections{4096};
    std::atomic<int> SendWaitMs{5000};
    std::atomic<int> SendDeadlineMs{30000};
    // While set, "/hold..." requests wait in their handlers.
    std::atomic<bool> Holding{false};
    std::string ServiceName = "VXTray";
    std::mutex Lock;
    std::vector<std::string> Seen; // "method|uri|remote|body" per handled request
};

// The body of "/big": more than the kernel queues for a connection.
inline constexpr std::size_t BigResponse = std::size_t{16} * 1024 * 1024;

// A concrete request thread: "/big" answers 200 with BigResponse bytes; "/hold..." first
// waits while Holding; "/fail..." and
// "/hold/fail..." write "partial" and raise; anything else answers 201 with an own header line and
// "method|uri|remote|body".
class TTestRequestThread : public TCustomHTTPInstanceThread {
public:
    TTestRequestThread(int socket, std::shared_ptr<TServiceLog> log,
                       std::shared_ptr<TBehaviour> behaviour);

protected:
    std::string ServiceName() const override;
    int HandleRequest(const std::string& method, const std::string& uri,
                      const std::string& remoteIp) override;

private:
    std::shared_ptr<TBehaviour> FBehaviour;
};

class TTestDaemon : public TCustomHTTPDaemonThread {
public:
    explicit TTestDaemon(int port,
                         std::shared_ptr<TBehaviour> behaviour = std::make_shared<TBehaviour>());

    // Runs on every pass of the loop, on the daemon thread.
    std::function<void(TTestDaemon&)> FOnLoop;
    std::atomic<int> FLoops{0};

    void RunBodyAgain() { Execute(); }
    using TCustomHTTPDaemonThread::CheckSocketError;
    using TCustomHTTPDaemonThread::ListeningSocket;

protected:
    int DefaultPort() const override { return FTestPort; }
    TRequestThreadClass RequestThreadClass() const override;
    void DoLoop() override;

private:
    int FTestPort;
    std::shared_ptr<TBehaviour> FBehaviour;
};

// The log's messages in order.
std::vector<std::string> Messages(const TServiceLog& log);

} // namespace vx::httpservice::test
