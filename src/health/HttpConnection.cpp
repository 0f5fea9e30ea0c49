#include "health/HttpConnection.h"

#include "health/InternetErrors.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vx::health {

namespace {

// How often a wait of a request that can be cancelled looks whether it is.
constexpr std::chrono::milliseconds CancelPollInterval{50};
// The longest single poll of a request that cannot be cancelled; the deadline still holds.
constexpr std::chrono::milliseconds LongestPoll{60000};

struct TAddressListDeleter {
    void operator()(addrinfo* list) const { ::freeaddrinfo(list); }
};

} // namespace

THttpConnection::THttpConnection(TClock::time_point deadline, std::function<bool()> cancelled)
    : FDeadline(deadline), FCancelled(std::move(cancelled)) {}

THttpConnection::~THttpConnection() {
    Close();
}

void THttpConnection::Close() {
    if (FSocket >= 0) {
        ::close(FSocket);
        FSocket = -1;
    }
}

std::int32_t THttpConnection::Failed(std::int32_t error) {
    FError = error;
    return error;
}

bool THttpConnection::Cancelled() const {
    return FCancelled && FCancelled();
}

THttpConnection::TWait THttpConnection::Wait(short events, TClock::time_point deadline) const {
    for (;;) {
        if (Cancelled()) {
            return TWait::Cancelled;
        }
        const auto now = TClock::now();
        if (now >= deadline) {
            return TWait::TimedOut;
        }
        auto slice = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        slice = std::min(slice, FCancelled ? CancelPollInterval : LongestPoll);
        pollfd poll{FSocket, events, 0};
        const int ready = ::poll(&poll, 1, static_cast<int>(slice.count()));
        if (ready > 0) {
            return TWait::Ready; // an error or a hang-up too: the call that follows tells it
        }
        if (ready < 0 && errno != EINTR) {
            return TWait::Failed;
        }
    }
}

std::int32_t THttpConnection::Connect(const std::string& hostName, int port,
                                      TClock::time_point connectDeadline) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(hostName.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) {
        return ErrorInternetNameNotResolved;
    }
    const std::unique_ptr<addrinfo, TAddressListDeleter> addresses(found);
    const auto deadline = std::min(connectDeadline, FDeadline);
    std::int32_t error = ErrorInternetCannotConnect;
    for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
        Close();
        FSocket = ::socket(address->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (FSocket < 0) {
            error = ErrorInternetInternal;
            continue;
        }
        if (::connect(FSocket, address->ai_addr, address->ai_addrlen) == 0) {
            return 0;
        }
        if (errno != EINPROGRESS && errno != EINTR) {
            continue; // refused at once, or no route: the next address may do
        }
        switch (Wait(POLLOUT, deadline)) {
        case TWait::Ready: {
            int socketError = 0;
            socklen_t length = sizeof socketError;
            if (::getsockopt(FSocket, SOL_SOCKET, SO_ERROR, &socketError, &length) == 0 &&
                socketError == 0) {
                return 0;
            }
            break;
        }
        case TWait::TimedOut:
            Close();
            return ErrorInternetTimeout;
        case TWait::Cancelled:
            Close();
            return ErrorInternetOperationCancelled;
        case TWait::Failed:
            break;
        }
    }
    Close();
    return error;
}

std::int32_t THttpConnection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(FSocket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            return Failed(ErrorInternetConnectionAborted);
        }
        switch (Wait(POLLOUT, FDeadline)) {
        case TWait::Ready:
            break;
        case TWait::TimedOut:
            return Failed(ErrorInternetTimeout);
        case TWait::Cancelled:
            return Failed(ErrorInternetOperationCancelled);
        case TWait::Failed:
            return Failed(ErrorInternetConnectionAborted);
        }
    }
    return 0;
}

long THttpConnection::Receive(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t received = ::recv(FSocket, buffer, size, 0);
        if (received >= 0) {
            return static_cast<long>(received);
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            Failed(ErrorInternetConnectionReset);
            return -1;
        }
        switch (Wait(POLLIN, FDeadline)) {
        case TWait::Ready:
            break;
        case TWait::TimedOut:
            Failed(ErrorInternetTimeout);
            return -1;
        case TWait::Cancelled:
            Failed(ErrorInternetOperationCancelled);
            return -1;
        case TWait::Failed:
            Failed(ErrorInternetConnectionReset);
            return -1;
        }
    }
}

} // namespace vx::health
