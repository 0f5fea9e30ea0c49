#include "support/TestPeer.h"

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

bool WaitReadable(int Socket, int TimeoutMs) {
    pollfd Poll{Socket, POLLIN, 0};
    return ::poll(&Poll, 1, TimeoutMs) > 0;
}

void SendAll(int Client, const std::string& Out) {
    std::size_t Sent = 0;
    while (Sent < Out.size()) {
        const ssize_t Put = ::send(Client, Out.data() + Sent, Out.size() - Sent, MSG_NOSIGNAL);
        if (Put <= 0) {
            break; // the client stopped reading
        }
        Sent += static_cast<std::size_t>(Put);
    }
}

} // namespace

TTestPeer::TTestPeer() : TTestPeer(Reply(200, "")) {}

TTestPeer::TTestPeer(std::string RawReply) {
    SetReply(std::move(RawReply));
    FListener = BindLoopback(FPort);
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

void TTestPeer::SetReply(std::string RawReply) {
    SetResponder([RawReply = std::move(RawReply)](const std::string&) { return RawReply; });
}

void TTestPeer::SetResponder(TResponder Responder) {
    std::lock_guard Guard(FLock);
    FResponder = std::move(Responder);
    FHang = false;
}

void TTestPeer::SetHang(std::string Prefix) {
    std::lock_guard Guard(FLock);
    FHang = true;
    FHangPrefix = std::move(Prefix);
}

std::vector<std::string> TTestPeer::Requests() const {
    std::lock_guard Guard(FLock);
    return FRequests;
}

std::string TTestPeer::Reply(int Status, const std::string& Body) {
    return "HTTP/1.0 " + std::to_string(Status) +
           " X\r\nContent-Length: " + std::to_string(Body.size()) + "\r\n\r\n" + Body;
}

void TTestPeer::Run() {
    while (!FStop) {
        if (!WaitReadable(FListener, PollMs)) {
            continue;
        }
        const int Client = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
        if (Client < 0) {
            continue;
        }
        ++FConnections;
        Serve(Client);
        ::close(Client);
    }
}

void TTestPeer::Serve(int Client) {
    std::string Head;
    char Buffer[4096];
    int Waited = 0;
    while (Head.find("\r\n\r\n") == std::string::npos && Waited < ReadLimitMs && !FStop) {
        if (!WaitReadable(Client, PollMs)) {
            Waited += PollMs;
            continue;
        }
        const ssize_t Got = ::recv(Client, Buffer, sizeof(Buffer), 0);
        if (Got <= 0) {
            break;
        }
        Head.append(Buffer, static_cast<std::size_t>(Got));
    }
    TResponder Responder;
    bool Hang = false;
    std::string HangPrefix;
    {
        std::lock_guard Guard(FLock);
        FRequests.push_back(Head);
        Responder = FResponder;
        Hang = FHang;
        HangPrefix = FHangPrefix;
    }
    if (Hang) {
        SendAll(Client, HangPrefix);
        while (!FStop) {
            WaitReadable(Client, PollMs);
            char Byte;
            if (::recv(Client, &Byte, 1, MSG_DONTWAIT) == 0) {
                break; // the client gave up
            }
        }
        return;
    }
    SendAll(Client, Responder(Head));
}

} // namespace vx::test
