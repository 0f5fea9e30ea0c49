#include "httpservice/InstanceThread.h"

#include "httpservice/HttpDate.h"
#include "httpservice/IntegrityToken.h"
#include "platform/Exception.h"
#include "platform/Format.h"

#include <cerrno>

namespace vx::httpservice {
namespace {

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

constexpr std::size_t ReceiveChunk = std::size_t{16} * 1024;

} // namespace

TCustomHTTPInstanceThread::TCustomHTTPInstanceThread(int socket,
                                                     std::shared_ptr<TServiceLog> daemonLog)
    : FDaemonLog(std::move(daemonLog)), FSocket(socket) {
    SetFreeOnTerminate(true);
    SetStackSize(RequestThreadStack);
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

void TCustomHTTPInstanceThread::ReadRequest() {
    char buffer[ReceiveChunk];
    while (FReader.State() == TRequestReader::TState::NeedMore) {
        if (FSocket.WaitReadable(FReadWaitMs) != TTcpSocket::TWait::Ready) {
            FReader.End();
            break;
        }
        const long n = FSocket.Receive(buffer, sizeof buffer);
        if (n > 0) {
            FReader.Feed({buffer, static_cast<std::size_t>(n)});
        } else if (n == 0 ||
                   (FSocket.LastError() != EAGAIN && FSocket.LastError() != EWOULDBLOCK)) {
            FReader.End();
        }
    }
}

void TCustomHTTPInstanceThread::Execute() {
    ReadRequest();
    if (FReader.State() != TRequestReader::TState::Complete) {
        return;
    }
    THttpRequest& request = FReader.Request();
    FRequestBody = std::move(request.Body);
    FResponseBody.clear();
    FSharedResponseBody.reset();
    FHeaders.clear();
    const int status = Dispatch(request.Method, TrimControls(request.Uri));
    SendResponse(status, !request.Protocol.empty());
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
    const std::string statusLine = StatusPrefix + std::to_string(status) + LineEnd;
    const std::string_view body = FSharedResponseBody ? *FSharedResponseBody : FResponseBody;
    std::vector<std::string> lines;
    if (withHeaders) {
        FHeaders.push_back(ContentLengthHeader + std::to_string(body.size()));
        FHeaders.push_back(ConnectionHeader);
        FHeaders.push_back(DateHeader + Rfc822DateTime());
        FHeaders.push_back(ServerHeader);
        FHeaders.push_back({});
        lines.reserve(FHeaders.size());
        for (const auto& header : FHeaders) {
            lines.push_back(header + LineEnd);
        }
    }
    if (!httpservice::SendResponse(FSocket, statusLine, lines, body, FSendLimits)) {
        FSocket.Abort();
    }
}

} // namespace vx::httpservice
