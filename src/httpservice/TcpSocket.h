#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace vx::httpservice {

// An IPv4 TCP socket. Every call records the error it met (0 and an empty text when none) in
// LastError()/LastErrorText(); the socket is closed when the object goes.
class TTcpSocket {
public:
    enum class TWait { Ready, TimedOut, Failed };

    TTcpSocket() = default;
    // Takes ownership of an accepted connection.
    explicit TTcpSocket(int handle) : FHandle(handle) {}
    ~TTcpSocket();
    TTcpSocket(const TTcpSocket&) = delete;
    TTcpSocket& operator=(const TTcpSocket&) = delete;
    TTcpSocket(TTcpSocket&& other) noexcept;
    TTcpSocket& operator=(TTcpSocket&& other) noexcept;

    bool Create();
    bool SetLinger(bool on, int seconds);
    bool SetReuseAddress();
    // `port` outside 0..65535 fails with EINVAL.
    bool Bind(const std::string& address, long port);
    // The bound local port (0 while unbound), or -1. Leaves LastError() as it was, so that
    // a bind's error can be read after the port.
    int LocalPort() const;
    bool Listen(int backlog);

    TWait WaitReadable(int milliseconds);
    TWait WaitWritable(int milliseconds);
    // Reads what is waiting, up to `size` bytes, without blocking: >0 bytes read, 0 when the
    // peer closed, -1 on error or when nothing is waiting (LastError EAGAIN).
    long Receive(char* buffer, std::size_t size);
    // Sends what the connection takes at once of `pieces`, in order, in one call, without
    // blocking: the bytes sent, or -1 on error and when it takes nothing (LastError EAGAIN).
    long SendSome(std::span<const std::string_view> pieces);
    // The peer's address in dotted form, or "" on error.
    std::string PeerAddress();
    // Shuts down the sending side, discards the input already waiting, and closes.
    void ShutdownAndClose();
    // Closes with a reset: what is still queued for the peer is discarded.
    void Abort();
    void Close();

    int Handle() const { return FHandle; }
    // Gives up ownership of the handle, which the caller then closes.
    int Release();
    int LastError() const { return FLastError; }
    std::string LastErrorText() const;

private:
    bool Check(bool ok);
    TWait Wait(short events, int milliseconds);

    int FHandle = -1;
    int FLastError = 0;
};

} // namespace vx::httpservice
