#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vx::health {

// The client's TCP connection for one request. Every wait ends at the request's deadline and
// looks about every 50 ms whether the request was cancelled. Failures are told as the client's
// error codes (InternetErrors.h). The socket is closed when the object goes.
class THttpConnection {
public:
    using TClock = std::chrono::steady_clock;

    // `cancelled` may be empty (never cancelled); it is asked on the calling thread only.
    THttpConnection(TClock::time_point deadline, std::function<bool()> cancelled);
    ~THttpConnection();
    THttpConnection(const THttpConnection&) = delete;
    THttpConnection& operator=(const THttpConnection&) = delete;

    // Whether the request was cancelled; asked before each wait.
    bool Cancelled() const;
    // Resolves `hostName` and connects to the first of its addresses that accepts, giving up
    // at `connectDeadline` (or the request's deadline when that is earlier). 0 or an error code.
    std::int32_t Connect(const std::string& hostName, int port, TClock::time_point connectDeadline);
    // Sends all of `bytes`. 0 or an error code.
    std::int32_t Send(std::string_view bytes);
    // Reads what comes, up to `size` bytes: the number read, 0 once the peer has closed, or -1
    // with Error() telling why.
    long Receive(char* buffer, std::size_t size);
    std::int32_t Error() const { return FError; }

private:
    enum class TWait { Ready, TimedOut, Cancelled, Failed };

    TWait Wait(short events, TClock::time_point deadline) const;
    void Close();
    // Records `error` as the connection's and returns it.
    std::int32_t Failed(std::int32_t error);

    TClock::time_point FDeadline;
    std::function<bool()> FCancelled;
    int FSocket = -1;
    std::int32_t FError = 0;
};

} // namespace vx::health
