#include "TestService.h"

#include "platform/Exception.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vx::httpservice::test {

TPortBlocker::TPortBlocker(int port, bool listen) {
    FHandle = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = vx::test::LoopbackAddress(port);
    if (::bind(FHandle, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        (listen && ::listen(FHandle, 4) != 0)) {
        ::close(FHandle);
        FHandle = -1;
    }
}

TPortBlocker::~TPortBlocker() {
    if (FHandle >= 0) {
        ::close(FHandle);
    }
}

TClient::TClient(int port, int receiveBuffer) {
    FHandle = ::socket(AF_INET, SOCK_STREAM, 0);
    if (receiveBuffer > 0) {
        ::setsockopt(FHandle, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    }
    sockaddr_in addr = vx::test::LoopbackAddress(port);
    if (::connect(FHandle, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(FHandle);
        FHandle = -1;
    }
}

TClient::~TClient() {
    if (FHandle >= 0) {
        ::close(FHandle);
    }
}

bool TClient::Send(const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(FHandle, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void TClient::ShutdownSend() {
    ::shutdown(FHandle, SHUT_WR);
}

std::string TClient::ReadAll(std::chrono::milliseconds timeout) {
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            FTimedOut = true;
            return received;
        }
        pollfd p{FHandle, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char buffer[65536];
        const ssize_t n = ::recv(FHandle, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return received;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string HeaderLines(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i) {
        lines += "X-H" + std::to_string(i) + ": v\r\n";
    }
    return lines;
}

std::string Exchange(int port, const std::string& request) {
    TClient client(port);
    if (!client.Connected()) {
        return "<no connection>";
    }
    client.Send(request);
    return client.ReadAll();
}

TTestRequestThread::TTestRequestThread(int socket, std::shared_ptr<TServiceLog> log,
                                       std::shared_ptr<TBehaviour> behaviour)
    : TCustomHTTPInstanceThread(socket, std::move(log)), FBehaviour(std::move(behaviour)) {}

std::string TTestRequestThread::ServiceName() const {
    return FBehaviour->ServiceName;
}

int TTestRequestThread::HandleRequest(const std::string& method, const std::string& uri,
                                      const std::string& remoteIp) {
    const std::string seen = method + "|" + uri + "|" + remoteIp + "|" + FRequestBody;
    {
        std::lock_guard lock(FBehaviour->Lock);
        FBehaviour->Seen.push_back(seen);
    }
    while (uri.starts_with("/hold") && FBehaviour->Holding) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (uri == "/big") {
        FResponseBody.assign(BigResponse, 'b');
        return 200;
    }
    if (uri.starts_with("/fail") || uri.starts_with("/hold/fail")) {
        FHeaders.push_back("X-Partial: yes");
        FResponseBody = "partial";
        throw Exception("handler broke");
    }
    FHeaders.push_back("X-Test: 1");
    FResponseBody = seen;
    return 201;
}

TTestDaemon::TTestDaemon(int port, std::shared_ptr<TBehaviour> behaviour)
    : FTestPort(port), FBehaviour(std::move(behaviour)) {}

TCustomHTTPDaemonThread::TRequestThreadClass TTestDaemon::RequestThreadClass() const {
    return [behaviour = FBehaviour](int socket, std::shared_ptr<TServiceLog> log) {
        return new TTestRequestThread(socket, std::move(log), behaviour);
    };
}

void TTestDaemon::DoLoop() {
    TPendingLimits limits;
    limits.Deadline = std::chrono::milliseconds(FBehaviour->RequestDeadlineMs);
    limits.Connections = FBehaviour->PendingConnections;
    SetPendingLimits(limits);
    TSendLimits send;
    send.Wait = std::chrono::milliseconds(FBehaviour->SendWaitMs);
    send.Deadline = std::chrono::milliseconds(FBehaviour->SendDeadlineMs);
    SetSendLimits(send);
    ++FLoops;
    if (FOnLoop) {
        FOnLoop(*this);
    }
}

std::vector<std::string> Messages(const TServiceLog& log) {
    std::vector<std::string> messages;
    for (const auto& entry : log.Entries()) {
        messages.push_back(std::string(1, entry.Level) + " " + entry.Source + " [" + entry.URI +
                           "] " + entry.Message);
    }
    return messages;
}

} // namespace vx::httpservice::test
