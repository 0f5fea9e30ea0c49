#pragma once

#include "httpservice/RequestReader.h"
#include "httpservice/TcpSocket.h"

#include <chrono>
#include <cstddef>
#include <list>
#include <unordered_map>
#include <vector>

namespace vx::httpservice {

// What connections waiting for their requests may cost.
struct TPendingLimits {
    // At most this many wait; a new one pushes out the one idle longest.
    std::size_t Connections = 4096;
    // Request bytes they may hold together (a body alone may have 1 MiB); beyond it the one
    // idle longest goes.
    std::size_t Bytes = std::size_t{64} * 1024 * 1024;
    // A request not complete this long after its connection was accepted is dropped.
    std::chrono::milliseconds Deadline{30000};
};

// A connection whose request has arrived whole.
struct TArrivedRequest {
    TTcpSocket Socket;
    TRequestReader Reader; // Complete
};

// The connections a daemon accepted whose requests have not arrived whole yet. The daemon's
// own thread reads them all through one epoll set, so a connection costs no thread, however
// slowly it sends, until its request is complete. A connection whose request turns out
// malformed, ends early, misses the deadline or is pushed out is dropped without a response.
class TPendingConnections {
public:
    TPendingConnections();
    // Drops every waiting connection.
    ~TPendingConnections();
    TPendingConnections(const TPendingConnections&) = delete;
    TPendingConnections& operator=(const TPendingConnections&) = delete;

    // The listening socket to accept from (-1: none), replacing the previous one.
    void SetListener(int handle);
    // While false no connection is accepted; those not accepted wait in the listen backlog.
    void SetAccepting(bool accepting);
    void SetLimits(const TPendingLimits& limits) { FLimits = limits; }

    // Waits up to `milliseconds` for new connections and request bytes, accepts and reads what
    // came, drops what failed or expired, and appends the requests now complete to `arrived`.
    void Poll(int milliseconds, std::vector<TArrivedRequest>& arrived);

private:
    using TClock = std::chrono::steady_clock;
    struct TConnection {
        TTcpSocket Socket;
        TRequestReader Reader;
        TClock::time_point Accepted;
    };
    using TByActivity = std::list<TConnection>; // idle longest first

    void Arm();
    void AcceptAll(std::vector<TArrivedRequest>& arrived);
    // Reads what waits on a new or pending connection; false when it is done with (handed on
    // in `arrived` or to be dropped).
    bool Read(TConnection& connection, std::vector<TArrivedRequest>& arrived);
    void Serve(int handle, std::vector<TArrivedRequest>& arrived);
    void Drop(TByActivity::iterator connection);
    void DropIdlest();
    // While the waiting connections hold more bytes than allowed, drops the one idle longest
    // (never the last: the one just read).
    void DropBeyondTheBytes();
    void Sweep();

    int FEpoll = -1;
    int FListener = -1;
    bool FAccepting = true;
    bool FArmed = false; // the listener is in the epoll set
    TPendingLimits FLimits;
    TByActivity FByActivity;
    std::unordered_map<int, TByActivity::iterator> FByHandle;
    std::size_t FBuffered = 0;
    TClock::time_point FLastSweep = TClock::now();
};

} // namespace vx::httpservice
