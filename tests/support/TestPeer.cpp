#include "support/TestPeer.h"

#include "platform/Exception.h"
#include "support/LoopbackPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace vx::test {

namespace {

constexpr int PollMs = 20;
constexpr int ReadLimitMs = 2000;

bool WaitReadable(int socket, int timeoutMs) {
    pollfd poll{socket, POLLIN, 0};
    return ::poll(&poll, 1, timeoutMs) > 0;
}

void SendAll(int client, const std::string& out) {
    std::size_t sent = 0;
    while (sent < out.size()) {
        const ssize_t put = ::send(client, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (put <= 0) {
            break; // the client stopped reading
        }
        sent += static_cast<std::size_t>(put);
    }
}

} // namespace

TTestPeer::TTestPeer() : TTestPeer(Reply(200, "")) {}

TTestPeer::TTestPeer(std::string rawReply) {
    SetReply(std::move(rawReply));
    FListener = BindLoopback(FPort);
    Listen();
}

TTestPeer::TTestPeer(int port, std::string rawReply) : FPort(port) {
    SetReply(std::move(rawReply));
    FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // As the suite's services bind: a port left in TIME_WAIT by the last test is free.
    const int on = 1;
    ::setsockopt(FListener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in address = LoopbackAddress(port);
    if (FListener < 0 ||
        ::bind(FListener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(FListener);
        throw Exception("port " + std::to_string(port) + " is taken");
    }
    Listen();
}

void TTestPeer::Listen() {
    if (::listen(FListener, 64) != 0) {
        ::close(FListener);
        throw std::runtime_error("listen failed");
    }
    FThread = std::thread([this] { Run(); });
}

TTestPeer::~TTestPeer() {
    FStop = true;
    FThread.join();
    ::close(FListener);
}

void TTestPeer::SetReply(std::string rawReply) {
    SetResponder([rawReply = std::move(rawReply)](const std::string&) { return rawReply; });
}

void TTestPeer::SetResponder(TResponder responder) {
    std::lock_guard guard(FLock);
    FResponder = std::move(responder);
    FHang = false;
}

void TTestPeer::SetHang(std::string prefix) {
    std::lock_guard guard(FLock);
    FHang = true;
    FHangPrefix = std::move(prefix);
}

std::vector<std::string> TTestPeer::Requests() const {
    std::lock_guard guard(FLock);
    return FRequests;
}

std::string TTestPeer::Reply(int status, const std::string& body) {
    return "HTTP/1.0 " + std::to_string(status) +
           " X\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

void TTestPeer::Run() {
    while (!FStop) {
        if (!WaitReadable(FListener, PollMs)) {
            continue;
        }
        const int client = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            continue;
        }
        ++FConnections;
        Serve(client);
        ::close(client);
    }
}

void TTestPeer::Serve(int client) {
    std::string head;
    char buffer[4096];
    int waited = 0;
    while (head.find("\r\n\r\n") == std::string::npos && waited < ReadLimitMs && !FStop) {
        if (!WaitReadable(client, PollMs)) {
            waited += PollMs;
            continue;
        }
        const ssize_t got = ::recv(client, buffer, sizeof(buffer), 0);
        if (got <= 0) {
            break;
        }
        head.append(buffer, static_cast<std::size_t>(got));
    }
    TResponder responder;
    bool hang = false;
    std::string hangPrefix;
    {
        std::lock_guard guard(FLock);
        FRequests.push_back(head);
        responder = FResponder;
        hang = FHang;
        hangPrefix = FHangPrefix;
    }
    if (hang) {
        SendAll(client, hangPrefix);
        while (!FStop) {
            WaitReadable(client, PollMs);
            char byte;
            if (::recv(client, &byte, 1, MSG_DONTWAIT) == 0) {
                break; // the client gave up
            }
        }
        return;
    }
    SendAll(client, responder(head));
}

} // namespace vx::test
