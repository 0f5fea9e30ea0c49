#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vx::health {

// Agent name every session sends; set once at start-up, before any thread uses the client.
extern std::string DefaultUserAgent;

// Time-outs no caller can disable: a hung peer must not freeze the thread that asked.
inline constexpr std::chrono::milliseconds DefaultConnectTimeout{5000};
inline constexpr std::chrono::milliseconds DefaultRequestTimeout{15000};
// The whole body is kept in memory; a peer sending more than this ends the body there.
inline constexpr std::int64_t DefaultMaxBodySize = 1 << 20;

using TProgressEvent =
    std::function<void(std::uint8_t percent, std::int64_t downloaded, std::int64_t total)>;
using TTraceEvent = std::function<void(const std::string& text)>;
// Asked while a request waits: true ends it at once as cancelled
// (ErrorInternetOperationCancelled). An empty one never cancels.
using TCancelled = std::function<bool()>;

// Process-wide set-up of the transport (thread-safe, idempotent). Start-up calls it once. The
// transport is plain sockets, which need none: it does nothing.
void InitializeHttpClient();

class THttpConnection;
class THttpResponseHead;

// One HTTP session; each request opens and closes a connection of its own.
class TqxInternet {
public:
    TqxInternet();
    ~TqxInternet();
    TqxInternet(const TqxInternet&) = delete;
    TqxInternet& operator=(const TqxInternet&) = delete;

    std::int32_t LastError() const { return FLastError; }
    std::int64_t Downloaded() const { return FDownloaded; }
    std::int64_t TotalSize() const { return FTotalSize; }
    const std::string& UserAgent() const { return FUserAgent; }

    void SetTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds request);
    void SetMaxBodySize(std::int64_t bytes) { FMaxBodySize = bytes; }
    // Looked at about every 50 ms while a request waits.
    void SetCancelled(TCancelled cancelled) { FCancelled = std::move(cancelled); }

    TProgressEvent OnProgress;
    TTraceEvent OnTrace;

protected:
    void Progress();
    void Trace(const std::string& text);

    std::int32_t FLastError = 0;
    std::int64_t FDownloaded = 0;
    std::int64_t FTotalSize = 0;
    std::string FUserAgent;
    std::chrono::milliseconds FConnectTimeout = DefaultConnectTimeout;
    std::chrono::milliseconds FRequestTimeout = DefaultRequestTimeout;
    std::int64_t FMaxBodySize = DefaultMaxBodySize;
    TCancelled FCancelled;
};

// A GET over the session: HTTP/1.1 over a TCP connection of its own, never through a proxy.
// `stream` is an in-memory buffer; the body is appended to it.
class TqxInternetHTTP : public TqxInternet {
public:
    TqxInternetHTTP() = default;

    bool Get(const std::string& url, std::string& stream);
    bool Request(const std::string& host, const std::string& path, std::string& stream);

    std::size_t ChunkSize() const { return FChunkSize; }

private:
    // The status the head gives, with the trace lines of its query.
    std::int64_t QueryStatus(const THttpResponseHead& head);
    // Reads the body that follows `head` into `stream`; `received` holds the bytes already read
    // past the head. False only when the request was cancelled.
    bool ReadBody(THttpConnection& connection, const THttpResponseHead& head, std::string received,
                  std::string& stream);
    // Appends `bytes` up to the body size limit; false once the limit is reached.
    bool Append(std::string& stream, std::string_view bytes);

    std::size_t FChunkSize = 4096;
};

// `host` is "name" or "name:port"; a port that is not a decimal integer, or 0, means 80.
// Out-of-range ports are passed on for the request to reject.
void SplitHostPort(const std::string& host, std::string& hostName, int& port);

// The forms the rest of the program calls. The first two let exceptions (exhausted memory)
// pass; HttpGetFromHost turns any exception into a false result.
bool HttpGetToStream(const std::string& url, std::string& stream, std::int32_t& errorCode,
                     const TCancelled& cancelled = {});
bool HttpGetToString(const std::string& url, std::string& body, std::int32_t& errorCode,
                     const TCancelled& cancelled = {});
std::string BuildHttpURL(const std::string& host, int port, const std::string& path);
// `path` as a request line carries it: starting with "/", and every byte that cannot stand in
// a request line (up to a blank, and from DEL) as %xx, so that a path can neither break the
// request line nor smuggle header lines.
std::string EscapePath(const std::string& path);
bool HttpGetFromHost(const std::string& host, int port, const std::string& path, std::string& body,
                     std::int32_t& errorCode);

} // namespace vx::health
