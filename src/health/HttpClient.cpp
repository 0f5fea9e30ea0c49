#include "health/HttpClient.h"

#include "health/HttpConnection.h"
#include "health/HttpResponse.h"
#include "health/InternetErrors.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <vector>

namespace vx::health {

std::string DefaultUserAgent = "qelWinAPIWinINet";

namespace {

using TClock = THttpConnection::TClock;

constexpr int DefaultHttpPort = 80;
constexpr std::int64_t StatusNotFound = 404;
constexpr std::int64_t StatusNoContent = 204;
constexpr std::int64_t StatusNotModified = 304;
constexpr const char* const SchemeSeparator = "://";
constexpr const char* const RequestStart = "GET ";
constexpr const char* const RequestVersion = " HTTP/1.1\r\n";
constexpr const char* const HostHeader = "Host: ";
constexpr const char* const UserAgentHeader = "User-Agent: ";
constexpr const char* const LineEnd = "\r\n";
constexpr const char* const ContentLengthHeader = "Content-Length";
constexpr const char* const TraceStatus = "+ HttpQueryInfo status=";
constexpr const char* const TraceValError = "- HttpQueryInfo val error at @";
constexpr const char* const TraceValErrorText = " of >";
constexpr const char* const TraceValErrorEnd = "<";
constexpr const char* const TraceQueryFailed = "- HttpQueryInfo (";
constexpr const char* const TraceQueryFailedEnd = ")";
// A header is asked for as text into a buffer of this many bytes, its NUL included.
constexpr std::size_t QueryBufferSize = 32;
// The head of a local service's answer is a few lines; one longer than this is no answer.
constexpr std::size_t MaxResponseHead = std::size_t{256} * 1024;

// Decimal integer as Delphi's StrToIntDef reads it: optional sign, digits, 32-bit range.
bool ParseInt32(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') {
            return false;
        }
    }
    int parsed = 0;
    auto [end, error] = std::from_chars(first, last, parsed);
    if (error != std::errc() || end != last || first == last) {
        return false;
    }
    value = parsed;
    return true;
}

// Letters, digits, dots, hyphens and underscores: a name or an IPv4 address. Anything else
// (a blank, "@", nothing at all) names no server.
bool IsHostName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-' || c == '_';
    });
}

// A GET with no headers but the host and the agent.
std::string RequestText(const std::string& hostName, int port, const std::string& path,
                        const std::string& userAgent) {
    std::string text = RequestStart + EscapePath(path) + RequestVersion + HostHeader + hostName;
    if (port != DefaultHttpPort) {
        text += ':' + std::to_string(port);
    }
    text += LineEnd;
    if (!userAgent.empty()) {
        text += UserAgentHeader + userAgent + LineEnd;
    }
    return text + LineEnd;
}

// A header as HttpQueryInfo gives it as text: the value as far as a NUL, or the error when the
// value and its NUL do not fit the buffer.
std::int32_t QueryText(const std::string& value, std::string& text) {
    if (value.size() >= QueryBufferSize) {
        return ErrorInsufficientBuffer;
    }
    text = value.substr(0, value.find('\0'));
    return 0;
}

// The Content-Length as a size; none when it is missing, does not read as a number or is
// negative.
std::optional<std::int64_t> ContentLength(const THttpResponseHead& head) {
    const auto value = head.Header(ContentLengthHeader);
    std::string text;
    std::int64_t length = 0;
    std::size_t badPosition = 0;
    if (!value || QueryText(*value, text) != 0 || !ReadInt64(text, length, badPosition) ||
        length < 0) {
        return std::nullopt;
    }
    return length;
}

// A 1xx answer is an interim one; the real one follows it.
bool IsInterim(const THttpResponseHead& head) {
    std::int64_t status = 0;
    std::size_t badPosition = 0;
    return ReadInt64(head.StatusCode(), status, badPosition) && status >= 100 && status < 200;
}

} // namespace

std::string EscapePath(const std::string& path) {
    static const char hex[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(path.size());
    if (path.empty() || path.front() != '/') {
        escaped += '/';
    }
    for (unsigned char c : path) {
        if (c <= 0x20 || c >= 0x7F) {
            escaped += '%';
            escaped += hex[c >> 4];
            escaped += hex[c & 0x0F];
        } else {
            escaped += static_cast<char>(c);
        }
    }
    return escaped;
}

void InitializeHttpClient() {}

TqxInternet::TqxInternet() : FUserAgent(DefaultUserAgent) {}

TqxInternet::~TqxInternet() = default;

void TqxInternet::SetTimeouts(std::chrono::milliseconds connect,
                              std::chrono::milliseconds request) {
    FConnectTimeout = connect;
    FRequestTimeout = request;
}

void TqxInternet::Progress() {
    if (!OnProgress) {
        return;
    }
    std::int64_t percent = 0;
    if (FTotalSize > 0) {
        percent = std::min<std::int64_t>(100, FDownloaded * 100 / FTotalSize);
    }
    OnProgress(static_cast<std::uint8_t>(percent), FDownloaded, FTotalSize);
}

void TqxInternet::Trace(const std::string& text) {
    if (OnTrace) {
        OnTrace(text);
    }
}

void SplitHostPort(const std::string& host, std::string& hostName, int& port) {
    hostName = host;
    port = DefaultHttpPort;
    if (const auto colon = host.find(':'); colon != std::string::npos) {
        hostName = host.substr(0, colon);
        if (!ParseInt32(host.substr(colon + 1), port) || port == 0) {
            port = DefaultHttpPort; // 0 asks for the scheme's default, as WinINet reads it
        }
    }
}

bool TqxInternetHTTP::Get(const std::string& url, std::string& stream) {
    const auto separator = url.find(SchemeSeparator);
    if (separator == std::string::npos) {
        FLastError = ErrorNoScheme;
        return false;
    }
    // Whatever the scheme names, the request goes over plain HTTP.
    const std::string rest =
        url.substr(separator + std::char_traits<char>::length(SchemeSeparator));
    const auto slash = rest.find('/');
    if (slash == std::string::npos) {
        return Request(rest, "/", stream);
    }
    return Request(rest.substr(0, slash), rest.substr(slash), stream);
}

bool TqxInternetHTTP::Request(const std::string& host, const std::string& path,
                              std::string& stream) {
    FLastError = 0;
    FDownloaded = 0;
    FTotalSize = 0;

    std::string hostName;
    int port = 0;
    SplitHostPort(host, hostName, port);
    if (port < 0 || port > 65535) {
        FLastError = ErrorInternetInvalidUrl;
        return false;
    }
    if (!IsHostName(hostName)) {
        FLastError = ErrorInternetNameNotResolved;
        return false;
    }

    const auto start = TClock::now();
    THttpConnection connection(start + FRequestTimeout, FCancelled);
    if (connection.Cancelled()) {
        FLastError = ErrorInternetOperationCancelled;
        return false;
    }
    if (const auto error = connection.Connect(hostName, port, start + FConnectTimeout);
        error != 0) {
        FLastError = error;
        return false;
    }
    if (const auto error = connection.Send(RequestText(hostName, port, path, FUserAgent));
        error != 0) {
        FLastError = error;
        return false;
    }

    // The head, after any interim answers. What is not HTTP/1.x fails here; once a head has
    // come, the request succeeds unless it is a 404 or is cancelled.
    std::string received;
    THttpResponseHead head;
    std::vector<char> buffer(FChunkSize + 1);
    for (;;) {
        const std::size_t end = HeadEnd(received);
        if (end == std::string::npos) {
            if (!CouldBeStatusLine(received) || received.size() > MaxResponseHead) {
                FLastError = ErrorHttpInvalidServerResponse;
                return false;
            }
            const long got = connection.Receive(buffer.data(), FChunkSize);
            if (got <= 0) {
                FLastError = got == 0 ? ErrorHttpInvalidServerResponse : connection.Error();
                return false;
            }
            received.append(buffer.data(), static_cast<std::size_t>(got));
            continue;
        }
        if (!head.Parse(std::string_view(received).substr(0, end))) {
            FLastError = ErrorHttpInvalidServerResponse;
            return false;
        }
        received.erase(0, end);
        if (!IsInterim(head)) {
            break;
        }
    }

    const std::int64_t status = QueryStatus(head);
    if (status == StatusNotFound) {
        FLastError = ErrorNotFound; // the body of a 404 is not read
        return false;
    }
    FTotalSize = ContentLength(head).value_or(0);
    if (status != StatusNoContent && status != StatusNotModified &&
        !ReadBody(connection, head, std::move(received), stream)) {
        FLastError = ErrorInternetOperationCancelled;
        return false;
    }
    Progress();
    return true;
}

std::int64_t TqxInternetHTTP::QueryStatus(const THttpResponseHead& head) {
    std::int64_t status = 0;
    std::string text;
    if (const auto error = QueryText(head.StatusCode(), text); error != 0) {
        Trace(TraceQueryFailed + InternetErrorText(error) + TraceQueryFailedEnd);
    } else if (std::size_t badPosition = 0; !ReadInt64(text, status, badPosition)) {
        status = 0;
        Trace(TraceValError + std::to_string(badPosition) + TraceValErrorText + text +
              TraceValErrorEnd);
    }
    Trace(TraceStatus + std::to_string(status));
    return status;
}

bool TqxInternetHTTP::ReadBody(THttpConnection& connection, const THttpResponseHead& head,
                               std::string received, std::string& stream) {
    // The body ends where its coding or its length says, else when the peer closes; a
    // Content-Length that cannot be read is no length.
    const bool chunked = head.Chunked();
    TChunkedDecoder chunks;
    const std::optional<std::int64_t> length = chunked ? std::nullopt : ContentLength(head);
    std::int64_t left = length.value_or(0);
    std::string piece = std::move(received);
    std::vector<char> buffer(FChunkSize + 1);
    std::string decoded;
    for (;;) {
        if (length && left == 0) {
            return true;
        }
        if (piece.empty()) {
            const long got = connection.Receive(buffer.data(), FChunkSize);
            if (got < 0 && connection.Error() == ErrorInternetOperationCancelled) {
                return false;
            }
            if (got <= 0) {
                return true; // closed, or a failed read: the body ends early
            }
            piece.assign(buffer.data(), static_cast<std::size_t>(got));
        }
        if (chunked) {
            decoded.clear();
            const bool intact = chunks.Feed(piece, decoded);
            if (!Append(stream, decoded) || !intact || chunks.Done()) {
                return true;
            }
        } else {
            std::string_view bytes = piece;
            if (length) {
                const auto size = static_cast<std::int64_t>(bytes.size());
                bytes = bytes.substr(0, static_cast<std::size_t>(std::min(left, size)));
                left -= static_cast<std::int64_t>(bytes.size());
            }
            if (!Append(stream, bytes)) {
                return true;
            }
        }
        piece.clear();
    }
}

bool TqxInternetHTTP::Append(std::string& stream, std::string_view bytes) {
    const std::int64_t room = std::max<std::int64_t>(0, FMaxBodySize - FDownloaded);
    const auto taken =
        static_cast<std::size_t>(std::min(room, static_cast<std::int64_t>(bytes.size())));
    if (taken > 0) {
        stream.append(bytes.substr(0, taken));
        FDownloaded += static_cast<std::int64_t>(taken);
        Progress();
    }
    // Past the size limit the body ends, like a failed read.
    return FDownloaded < FMaxBodySize;
}

bool HttpGetToStream(const std::string& url, std::string& stream, std::int32_t& errorCode,
                     const TCancelled& cancelled) {
    TqxInternetHTTP client;
    client.SetCancelled(cancelled);
    const bool result = client.Get(url, stream);
    errorCode = client.LastError();
    return result;
}

bool HttpGetToString(const std::string& url, std::string& body, std::int32_t& errorCode,
                     const TCancelled& cancelled) {
    std::string buffer;
    const bool result = HttpGetToStream(url, buffer, errorCode, cancelled);
    body = std::move(buffer);
    return result;
}

std::string BuildHttpURL(const std::string& host, int port, const std::string& path) {
    std::string url = "http://" + host + ":" + std::to_string(port);
    if (path.empty() || path.front() != '/') {
        url += '/';
    }
    return url + path;
}

bool HttpGetFromHost(const std::string& host, int port, const std::string& path, std::string& body,
                     std::int32_t& errorCode) {
    try {
        return HttpGetToString(BuildHttpURL(host, port, path), body, errorCode);
    } catch (...) {
        return false;
    }
}

} // namespace vx::health
