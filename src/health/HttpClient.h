#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace vx::health {

// Agent name every session sends; set once at start-up, before any thread uses the client.
extern std::string DefaultUserAgent;

// Time-outs no caller can disable: a hung peer must not freeze the thread that asked.
inline constexpr std::chrono::milliseconds DefaultConnectTimeout{5000};
inline constexpr std::chrono::milliseconds DefaultRequestTimeout{15000};
// The whole body is kept in memory; a peer sending more than this ends the body there.
inline constexpr std::int64_t DefaultMaxBodySize = 1 << 20;

using TProgressEvent =
    std::function<void(std::uint8_t Percent, std::int64_t Downloaded, std::int64_t Total)>;
using TTraceEvent = std::function<void(const std::string& Text)>;

// Process-wide set-up of the transport (thread-safe, idempotent). Start-up calls it once;
// constructing a session calls it too, so forgetting it is harmless.
void InitializeHttpClient();

// One HTTP session. Copying is not allowed: the session handle is owned.
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
    bool HasSession() const { return FSession != nullptr; }

    void SetTimeouts(std::chrono::milliseconds Connect, std::chrono::milliseconds Request);
    void SetMaxBodySize(std::int64_t Bytes) { FMaxBodySize = Bytes; }

    TProgressEvent OnProgress;
    TTraceEvent OnTrace;

protected:
    void Progress();
    void Trace(const std::string& Text);

    std::int32_t FLastError = 0;
    std::int64_t FDownloaded = 0;
    std::int64_t FTotalSize = 0;
    std::string FUserAgent;
    void* FSession = nullptr; // a libcurl easy handle
    std::chrono::milliseconds FConnectTimeout = DefaultConnectTimeout;
    std::chrono::milliseconds FRequestTimeout = DefaultRequestTimeout;
    std::int64_t FMaxBodySize = DefaultMaxBodySize;
};

// A GET over the session. Stream is an in-memory buffer; the body is appended to it.
class TqxInternetHTTP : public TqxInternet {
public:
    TqxInternetHTTP() = default;

    bool Get(const std::string& URL, std::string& Stream);
    bool Request(const std::string& Host, const std::string& Path, std::string& Stream);

    std::size_t ChunkSize() const { return FChunkSize; }

private:
    friend struct TTransfer;

    std::size_t FChunkSize = 4096;
};

// Host is "name" or "name:port"; a port that is not a decimal integer, or 0, means 80.
// Out-of-range ports are passed on for the request to reject.
void SplitHostPort(const std::string& Host, std::string& HostName, int& Port);

// The forms the rest of the program calls. The first two let exceptions (exhausted memory)
// pass; HttpGetFromHost turns any exception into a false result.
bool HttpGetToStream(const std::string& URL, std::string& Stream, std::int32_t& ErrorCode);
bool HttpGetToString(const std::string& URL, std::string& Body, std::int32_t& ErrorCode);
std::string BuildHttpURL(const std::string& Host, int Port, const std::string& Path);
bool HttpGetFromHost(const std::string& Host, int Port, const std::string& Path, std::string& Body,
                     std::int32_t& ErrorCode);

} // namespace vx::health
