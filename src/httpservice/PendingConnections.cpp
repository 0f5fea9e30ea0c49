#include "httpservice/PendingConnections.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace vx::httpservice {
namespace {

constexpr int MaxEvents = 64;
// Accepted per readiness of the listener, so that reading the waiting connections goes on
// under a flood of new ones.
constexpr int MaxAcceptsPerPass = 64;
// Read per readiness of a connection, so that one fast sender cannot hold up the others.
constexpr int MaxReadsPerPass = 4;
constexpr std::size_t ReceiveChunk = std::size_t{16} * 1024;
constexpr auto SweepInterval = std::chrono::milliseconds(100);
constexpr auto OutOfDescriptorsPause = std::chrono::milliseconds(100);

} // namespace

TPendingConnections::TPendingConnections() : FEpoll(::epoll_create1(EPOLL_CLOEXEC)) {}

TPendingConnections::~TPendingConnections() {
    while (!FByActivity.empty()) {
        Drop(FByActivity.begin());
    }
    if (FEpoll >= 0) {
        ::close(FEpoll);
    }
}

void TPendingConnections::SetListener(int handle) {
    if (FArmed && FListener >= 0) {
        ::epoll_ctl(FEpoll, EPOLL_CTL_DEL, FListener, nullptr);
    }
    FArmed = false;
    FListener = handle;
    if (handle >= 0) {
        // Several accepts per readiness: the last one must find the backlog empty, not wait.
        ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) | O_NONBLOCK);
    }
    Arm();
}

void TPendingConnections::SetAccepting(bool accepting) {
    if (accepting == FAccepting) {
        return;
    }
    FAccepting = accepting;
    if (!accepting && FArmed) {
        ::epoll_ctl(FEpoll, EPOLL_CTL_DEL, FListener, nullptr);
        FArmed = false;
    }
    Arm();
}

void TPendingConnections::Arm() {
    if (FArmed || !FAccepting || FListener < 0) {
        return;
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = FListener;
    FArmed = ::epoll_ctl(FEpoll, EPOLL_CTL_ADD, FListener, &event) == 0;
}

void TPendingConnections::Poll(int milliseconds, std::vector<TArrivedRequest>& arrived) {
    epoll_event events[MaxEvents];
    const int count = ::epoll_wait(FEpoll, events, MaxEvents, milliseconds);
    for (int i = 0; i < count; ++i) {
        if (events[i].data.fd == FListener && FArmed) {
            AcceptAll(arrived);
        } else {
            Serve(events[i].data.fd, arrived);
        }
    }
    if (count < 0 && errno != EINTR) {
        // Not expected with a valid set; do not spin on it.
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    if (TClock::now() - FLastSweep >= SweepInterval) {
        Sweep();
    }
}

void TPendingConnections::AcceptAll(std::vector<TArrivedRequest>& arrived) {
    for (int i = 0; i < MaxAcceptsPerPass; ++i) {
        // The daemon owns the listener: it is used here, never wrapped.
        const int handle = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (handle < 0) {
            if (errno == EMFILE || errno == ENFILE) {
                // Out of descriptors the connection stays in the backlog: make room, or pause
                // rather than spin.
                if (FByActivity.empty()) {
                    std::this_thread::sleep_for(OutOfDescriptorsPause);
                } else {
                    DropIdlest();
                }
            }
            break;
        }
        TConnection connection{TTcpSocket(handle), {}, TClock::now()};
        // The listener's linger would make every close wait for the peer.
        connection.Socket.SetLinger(false, 0);
        // The request is often there already: most connections never enter the set.
        if (!Read(connection, arrived)) {
            continue;
        }
        if (FByHandle.size() >= FLimits.Connections) {
            DropIdlest();
        }
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = handle;
        if (::epoll_ctl(FEpoll, EPOLL_CTL_ADD, handle, &event) != 0) {
            connection.Socket.ShutdownAndClose();
            FBuffered -= connection.Reader.Buffered();
            continue;
        }
        FByActivity.push_back(std::move(connection));
        FByHandle.emplace(handle, std::prev(FByActivity.end()));
        DropBeyondTheBytes();
    }
}

bool TPendingConnections::Read(TConnection& connection, std::vector<TArrivedRequest>& arrived) {
    char buffer[ReceiveChunk];
    const std::size_t before = connection.Reader.Buffered();
    TRequestReader::TState state = connection.Reader.State();
    for (int i = 0; i < MaxReadsPerPass && state == TRequestReader::TState::NeedMore; ++i) {
        const long n = connection.Socket.Receive(buffer, sizeof buffer);
        if (n > 0) {
            state = connection.Reader.Feed({buffer, static_cast<std::size_t>(n)});
        } else if (n < 0 && connection.Socket.LastError() == EAGAIN) {
            break;
        } else {
            state = connection.Reader.End(); // closed by the peer, or failed
        }
    }
    FBuffered = FBuffered + connection.Reader.Buffered() - before;
    switch (state) {
    case TRequestReader::TState::NeedMore:
        return true;
    case TRequestReader::TState::Complete:
        FBuffered -= connection.Reader.Buffered();
        arrived.push_back({std::move(connection.Socket), std::move(connection.Reader)});
        return false;
    case TRequestReader::TState::Malformed:
        FBuffered -= connection.Reader.Buffered();
        connection.Socket.ShutdownAndClose();
        return false;
    }
    return false;
}

void TPendingConnections::Serve(int handle, std::vector<TArrivedRequest>& arrived) {
    const auto found = FByHandle.find(handle);
    if (found == FByHandle.end()) {
        return;
    }
    const auto connection = found->second;
    if (!Read(*connection, arrived)) {
        ::epoll_ctl(FEpoll, EPOLL_CTL_DEL, handle, nullptr);
        FByHandle.erase(found);
        FByActivity.erase(connection);
        return;
    }
    FByActivity.splice(FByActivity.end(), FByActivity, connection);
    DropBeyondTheBytes();
}

void TPendingConnections::Drop(TByActivity::iterator connection) {
    const int handle = connection->Socket.Handle();
    ::epoll_ctl(FEpoll, EPOLL_CTL_DEL, handle, nullptr);
    FByHandle.erase(handle);
    FBuffered -= connection->Reader.Buffered();
    connection->Socket.ShutdownAndClose();
    FByActivity.erase(connection);
}

void TPendingConnections::DropIdlest() {
    if (!FByActivity.empty()) {
        Drop(FByActivity.begin());
    }
}

void TPendingConnections::DropBeyondTheBytes() {
    while (FBuffered > FLimits.Bytes && FByActivity.size() > 1) {
        DropIdlest();
    }
}

void TPendingConnections::Sweep() {
    const auto now = TClock::now();
    FLastSweep = now;
    for (auto connection = FByActivity.begin(); connection != FByActivity.end();) {
        const auto next = std::next(connection);
        if (now - connection->Accepted >= FLimits.Deadline) {
            Drop(connection);
        }
        connection = next;
    }
}

} // namespace vx::httpservice
