#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vx::test {

// A raw-socket HTTP peer on 127.0.0.1 and a free port, for client tests: it reads each request
// head and answers with whatever bytes the test asks for, or never answers at all.
// Connections are served one after the other on the peer's own thread.
class TTestPeer {
public:
    // Given a request head, returns the raw bytes to send before closing.
    using TResponder = std::function<std::string(const std::string& requestHead)>;

    TTestPeer();
    explicit TTestPeer(std::string rawReply);
    // On the loopback port `port`, standing in for one of the suite's services; raises
    // vx::Exception when the port is taken.
    TTestPeer(int port, std::string rawReply);
    ~TTestPeer();
    TTestPeer(const TTestPeer&) = delete;
    TTestPeer& operator=(const TTestPeer&) = delete;

    int Port() const { return FPort; }

    void SetReply(std::string rawReply);
    void SetResponder(TResponder responder);
    // Reads the request, sends `prefix`, then holds the connection open until the peer stops.
    void SetHang(std::string prefix = "");

    std::vector<std::string> Requests() const;
    int Connections() const { return FConnections; }

    // "HTTP/1.0 <Status> X", a Content-Length line, a blank line, the body.
    static std::string Reply(int status, const std::string& body);

private:
    void Listen();
    void Run();
    void Serve(int client);

    int FListener = -1;
    int FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<int> FConnections{0};
    mutable std::mutex FLock;
    TResponder FResponder;
    bool FHang = false;
    std::string FHangPrefix;
    std::vector<std::string> FRequests;
    std::thread FThread;
};

} // namespace vx::test
