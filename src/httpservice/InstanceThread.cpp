#include "httpservice/InstanceThread.h"

#include "httpservice/HttpDate.h"
#include "httpservice/IntegrityToken.h"
#include "platform/Exception.h"
#include "platform/Format.h"

#include <cerrno>
#include <climits>

namespace vx::httpservice {
namespace {

constexpr const char* ProtocolPrefix = "HTTP/";
constexpr const char* ContentLengthKey = "CONTENT-LENGTH:";
constexpr const char* IntegrityPath = "/integrity-local";
constexpr const char* LogPath = "/log";
constexpr const char* ContentTypeHeader = "Content-type: text/plain";
constexpr const char* ContentLengthHeader = "Content-length: ";
constexpr const char* ConnectionHeader = "Connection: close";
constexpr const char* DateHeader = "Date: ";
constexpr const char* ServerHeader = "Server: Korvex Thornet 2.0";
constexpr const char* StatusPrefix = "HTTP/1.0 ";
constexpr const char* LineEnd = "\r\n";
constexpr const char* HandlerFailedText = "Processing request %s failed (reason: %s)";

constexpr int SocketTimeoutMs = 5000;
constexpr int HeaderWriteWaitMs = 1000;
constexpr std::size_t ReceiveChunk = std::size_t{16} * 1024;

std::string StripBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The text before the first blank, and the text after it, both without surrounding blanks.
std::pair<std::string, std::string> SplitToken(const std::string& text) {
    const auto blank = text.find(' ');
    if (blank == std::string::npos) {
        return {StripBlanks(text), {}};
    }
    return {StripBlanks(text.substr(0, blank)), StripBlanks(text.substr(blank + 1))};
}

// Without leading and trailing white space and control characters.
std::string TrimControls(const std::string& text) {
    auto isControl = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isControl(text[first])) {
        ++first;
    }
    while (last > first && isControl(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The integer after the line's first blank (leading blanks and a sign allowed, nothing
// after the digits), or -1 when that is not a valid 32-bit integer.
long ContentLength(const std::string& line) {
    const auto blank = line.find(' ');
    if (blank == std::string::npos) {
        return -1;
    }
    std::size_t i = line.find_first_not_of(' ', blank);
    if (i == std::string::npos) {
        return -1;
    }
    bool negative = false;
    if (line[i] == '+' || line[i] == '-') {
        negative = line[i] == '-';
        ++i;
    }
    if (i == line.size()) {
        return -1;
    }
    long long value = 0;
    for (; i < line.size(); ++i) {
        if (line[i] < '0' || line[i] > '9') {
            return -1;
        }
        value = value * 10 + (line[i] - '0');
        if (value > INT_MAX) {
            return -1;
        }
    }
    return static_cast<long>(negative ? -value : value);
}

} // namespace

TCustomHTTPInstanceThread::TCustomHTTPInstanceThread(int socket,
                                                     std::shared_ptr<TServiceLog> daemonLog)
    : FDaemonLog(std::move(daemonLog)), FSocket(socket) {
    FSocket.SetTimeouts(SocketTimeoutMs);
    SetFreeOnTerminate(true);
}

TCustomHTTPInstanceThread::~TCustomHTTPInstanceThread() {
    FSocket.ShutdownAndClose();
    if (FCounter) {
        FCounter->Leave();
    }
}

void TCustomHTTPInstanceThread::BindDaemon(TLogEvent onLog, TLogLineEvent onLogLine,
                                           std::shared_ptr<TThreadCounter> counter) {
    FOnLog = std::move(onLog);
    FOnLogLine = std::move(onLogLine);
    FCounter = std::move(counter);
    if (FCounter) {
        FCounter->Enter();
    }
}

void TCustomHTTPInstanceThread::LogLine(const std::string& text) {
    FLogText = text;
    Synchronize([this] {
        if (FOnLogLine) {
            FOnLogLine(FLogText);
        }
    });
}

bool TCustomHTTPInstanceThread::Fill() {
    char buffer[ReceiveChunk];
    for (;;) {
        if (FSocket.WaitReadable(FReadWaitMs) != TTcpSocket::TWait::Ready) {
            return false;
        }
        const long n = FSocket.Receive(buffer, sizeof buffer);
        if (n > 0) {
            FInput.append(buffer, static_cast<std::size_t>(n));
            return true;
        }
        if (n == 0 || (FSocket.LastError() != EAGAIN && FSocket.LastError() != EWOULDBLOCK)) {
            return false;
        }
    }
}

bool TCustomHTTPInstanceThread::ReadLine(std::string& line, std::size_t limit) {
    for (;;) {
        const auto end = FInput.find(LineEnd, FScanned);
        if (end != std::string::npos) {
            if (end > limit) {
                return false;
            }
            line = FInput.substr(0, end);
            FInput.erase(0, end + 2);
            FScanned = 0;
            return true;
        }
        // Without its CR LF the line is already longer than allowed.
        if (FInput.size() > limit + 1) {
            return false;
        }
        // A CR at the end may still be followed by its LF.
        FScanned = FInput.empty() ? 0 : FInput.size() - 1;
        if (!Fill()) {
            return false;
        }
    }
}

bool TCustomHTTPInstanceThread::ReadBody(long length) {
    const auto size = static_cast<std::size_t>(length);
    while (FInput.size() < size) {
        if (!Fill()) {
            return false;
        }
    }
    FRequestBody = FInput.substr(0, size);
    FInput.erase(0, size);
    return true;
}

void TCustomHTTPInstanceThread::Execute() {
    std::string line;
    if (!ReadLine(line, MaxRequestLineLength) || line.empty()) {
        return;
    }
    const auto [method, afterMethod] = SplitToken(line);
    if (method.empty() || afterMethod.empty()) {
        return;
    }
    auto [uri, afterUri] = SplitToken(afterMethod);
    if (uri.empty()) {
        return;
    }
    const std::string protocol = SplitToken(afterUri).first;

    long contentLength = -1;
    if (!protocol.empty()) {
        if (!protocol.starts_with(ProtocolPrefix)) {
            return;
        }
        for (int count = 0;; ++count) {
            if (!ReadLine(line, MaxHeaderLineLength)) {
                return;
            }
            if (line.empty()) {
                break;
            }
            if (count == MaxHeaderLines) {
                return;
            }
            if (UpperAscii(line).starts_with(ContentLengthKey)) {
                contentLength = ContentLength(line);
            }
        }
    }

    FRequestBody.clear();
    if (contentLength >= 0 && (contentLength > MaxRequestBody || !ReadBody(contentLength))) {
        return;
    }
    FResponseBody.clear();
    FHeaders.clear();
    const int status = Dispatch(method, TrimControls(uri));
    SendResponse(status, !protocol.empty());
}

int TCustomHTTPInstanceThread::Dispatch(const std::string& method, const std::string& uri) {
    if (uri == IntegrityPath) {
        FHeaders.push_back(ContentTypeHeader);
        FResponseBody = IntegrityToken(ServiceName());
        return 200;
    }
    if (uri == LogPath) {
        FHeaders.push_back(ContentTypeHeader);
        FResponseBody = FDaemonLog->LineLogText();
        return 200;
    }
    try {
        return HandleRequest(method, uri, FSocket.PeerAddress());
    } catch (...) {
        LogLine(Format(HandlerFailedText, uri, CurrentExceptionText()));
    }
    return 500;
}

void TCustomHTTPInstanceThread::SendResponse(int status, bool withHeaders) {
    // Corked, the many small writes leave as few segments; the close sends the rest.
    FSocket.SetCork(true);
    bool lastOk = FSocket.Send(StatusPrefix + std::to_string(status) + LineEnd);
    if (withHeaders) {
        FHeaders.push_back(ContentLengthHeader + std::to_string(FResponseBody.size()));
        FHeaders.push_back(ConnectionHeader);
        FHeaders.push_back(DateHeader + Rfc822DateTime());
        FHeaders.push_back(ServerHeader);
        FHeaders.push_back({});
        for (const auto& header : FHeaders) {
            switch (FSocket.WaitWritable(HeaderWriteWaitMs)) {
            case TTcpSocket::TWait::Ready:
                lastOk = FSocket.Send(header + LineEnd);
                break;
            case TTcpSocket::TWait::TimedOut:
                lastOk = true; // a line that cannot be written in time is skipped
                break;
            case TTcpSocket::TWait::Failed:
                lastOk = false;
                break;
            }
        }
    }
    if (lastOk) {
        FSocket.Send(FResponseBody);
    }
    FSocket.SetCork(false);
}

} // namespace vx::httpservice
