#include "httpservice/TcpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

namespace vx::httpservice {

TTcpSocket::~TTcpSocket() {
    Close();
}

TTcpSocket::TTcpSocket(TTcpSocket&& other) noexcept
    : FHandle(other.FHandle), FLastError(other.FLastError) {
    other.FHandle = -1;
}

TTcpSocket& TTcpSocket::operator=(TTcpSocket&& other) noexcept {
    if (this != &other) {
        Close();
        FHandle = other.FHandle;
        FLastError = other.FLastError;
        other.FHandle = -1;
    }
    return *this;
}

int TTcpSocket::Release() {
    const int handle = FHandle;
    FHandle = -1;
    return handle;
}

bool TTcpSocket::Check(bool ok) {
    FLastError = ok ? 0 : errno;
    return ok;
}

bool TTcpSocket::Create() {
    Close();
    FHandle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    return Check(FHandle >= 0);
}

bool TTcpSocket::SetLinger(bool on, int seconds) {
    const linger value{on ? 1 : 0, seconds};
    return Check(::setsockopt(FHandle, SOL_SOCKET, SO_LINGER, &value, sizeof value) == 0);
}

bool TTcpSocket::SetReuseAddress() {
    const int on = 1;
    return Check(::setsockopt(FHandle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0);
}

bool TTcpSocket::Bind(const std::string& address, long port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    if (port < 0 || port > 65535 || ::inet_pton(AF_INET, address.c_str(), &addr.sin_addr) != 1) {
        FLastError = EINVAL;
        return false;
    }
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    return Check(::bind(FHandle, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0);
}

int TTcpSocket::LocalPort() const {
    sockaddr_in addr{};
    socklen_t length = sizeof addr;
    if (::getsockname(FHandle, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        return -1;
    }
    return ntohs(addr.sin_port);
}

bool TTcpSocket::Listen(int backlog) {
    return Check(::listen(FHandle, backlog) == 0);
}

TTcpSocket::TWait TTcpSocket::Wait(short events, int milliseconds) {
    pollfd p{FHandle, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, milliseconds);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            Check(false);
            return TWait::Failed;
        }
        FLastError = 0;
        if (n == 0) {
            return TWait::TimedOut;
        }
        // A hang-up or error counts as ready: the next call on the socket reports it.
        return TWait::Ready;
    }
}

TTcpSocket::TWait TTcpSocket::WaitReadable(int milliseconds) {
    return Wait(POLLIN, milliseconds);
}

TTcpSocket::TWait TTcpSocket::WaitWritable(int milliseconds) {
    return Wait(POLLOUT, milliseconds);
}

long TTcpSocket::Receive(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::recv(FHandle, buffer, size, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        Check(n >= 0);
        return static_cast<long>(n);
    }
}

long TTcpSocket::SendSome(std::span<const std::string_view> pieces) {
    // Linux takes up to 1024 pieces in one call; a response has a few.
    constexpr std::size_t maxPieces = 64;
    iovec vectors[maxPieces];
    std::size_t count = 0;
    for (const auto piece : pieces) {
        if (count == maxPieces) {
            break;
        }
        if (!piece.empty()) {
            vectors[count++] = {const_cast<char*>(piece.data()), piece.size()};
        }
    }
    msghdr message{};
    message.msg_iov = vectors;
    message.msg_iovlen = count;
    for (;;) {
        // MSG_NOSIGNAL: a peer that went away is an error here, not a SIGPIPE for the process.
        const ssize_t n = ::sendmsg(FHandle, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        Check(n >= 0);
        return static_cast<long>(n);
    }
}

std::string TTcpSocket::PeerAddress() {
    sockaddr_in addr{};
    socklen_t length = sizeof addr;
    if (!Check(::getpeername(FHandle, reinterpret_cast<sockaddr*>(&addr), &length) == 0)) {
        return {};
    }
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text);
    return text;
}

void TTcpSocket::ShutdownAndClose() {
    if (FHandle < 0) {
        return;
    }
    ::shutdown(FHandle, SHUT_WR);
    // Unread input would turn the close into a reset that can destroy the response in
    // flight: read away what is already waiting.
    int waiting = 0;
    char buffer[4096];
    while (::ioctl(FHandle, FIONREAD, &waiting) == 0 && waiting > 0) {
        if (::recv(FHandle, buffer, sizeof buffer, MSG_DONTWAIT) <= 0) {
            break;
        }
    }
    Close();
}

void TTcpSocket::Abort() {
    if (FHandle >= 0) {
        SetLinger(true, 0);
    }
    Close();
}

void TTcpSocket::Close() {
    if (FHandle >= 0) {
        ::close(FHandle);
        FHandle = -1;
    }
}

std::string TTcpSocket::LastErrorText() const {
    if (FLastError == 0) {
        return {};
    }
    char buffer[256];
    return strerror_r(FLastError, buffer, sizeof buffer); // the GNU form: thread-safe
}

} // namespace vx::httpservice
