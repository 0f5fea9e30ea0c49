#pragma once

#include "httpservice/RequestReader.h"
#include "httpservice/ResponseSender.h"
#include "httpservice/ServiceLog.h"
#include "httpservice/TcpSocket.h"
#include "httpservice/ThreadCounter.h"
#include "platform/WorkerThread.h"

#include <memory>
#include <string>
#include <vector>

namespace vx::httpservice {

// The stack of a request thread: handlers keep little on it, and small stacks keep being
// reused by the C library instead of being mapped afresh for every request.
inline constexpr std::size_t RequestThreadStack = std::size_t{256} * 1024;

// Serves one accepted connection of a daemon (DaemonThread.h) with a minimal HTTP/1.0
// exchange: one request line, header lines, an optional body (Content-Length), then one
// response, and the connection closes. The daemon hands it the request already read whole
// (SetRequest); given none, it reads the request itself (RequestReader.h). "/integrity-local" (this
// service's integrity token) and "/log" (the daemon's line log) are answered here; every other
// request goes to HandleRequest of the concrete service.
//
// The daemon creates it through its request-thread class, binds the log callbacks and starts
// it; it frees itself when done. It holds the daemon's service log and thread counter by
// shared ownership and nothing else of the daemon, so it may outlive the daemon safely. A
// concrete service that needs more of its daemon's state passes it to its request threads as
// a std::shared_ptr through the request-thread class.
class TCustomHTTPInstanceThread : public TWorkerThread {
public:
    // Takes ownership of the accepted connection `socket`. Free-on-terminate, with a stack
    // of RequestThreadStack; not started.
    TCustomHTTPInstanceThread(int socket, std::shared_ptr<TServiceLog> daemonLog);
    ~TCustomHTTPInstanceThread() override;

    // Bound by the daemon before it starts the thread.
    void BindDaemon(TLogEvent onLog, TLogLineEvent onLogLine,
                    std::shared_ptr<TThreadCounter> counter);
    // What has been read of the request so far; set before the start.
    void SetRequest(TRequestReader reader) { FReader = std::move(reader); }
    // Limits of sending the response; set before the start.
    void SetSendLimits(const TSendLimits& limits) { FSendLimits = limits; }

protected:
    // The name whose integrity token "/integrity-local" returns.
    virtual std::string ServiceName() const = 0;
    // Serves a request other than the built-in ones, on this thread: `uri` is the request
    // target as received, trimmed, with any query string; `remoteIp` the peer's dotted
    // address. FRequestBody holds the body; the handler writes FResponseBody, may add header
    // lines to FHeaders, and returns the status code. An exception becomes status 500 (with
    // what the handler had written) and a line in the daemon's line log.
    virtual int HandleRequest(const std::string& method, const std::string& uri,
                              const std::string& remoteIp) = 0;

    // Adds `text` to the daemon's line log, on the UI thread, waiting for it.
    void LogLine(const std::string& text);

    void Execute() override;

    TLogEvent FOnLog; // the daemon's leveled log, for handlers
    std::vector<std::string> FHeaders;
    std::string FRequestBody;
    std::string FResponseBody;
    // A handler may set this instead of writing FResponseBody: a body shared with other
    // responses, sent without a copy.
    std::shared_ptr<const std::string> FSharedResponseBody;
    // The limit on each wait for request data, when the thread reads the request itself.
    int FReadWaitMs = 120000;

private:
    // Reads until the request is complete or malformed.
    void ReadRequest();
    int Dispatch(const std::string& method, const std::string& uri);
    void SendResponse(int status, bool withHeaders);

    std::shared_ptr<TServiceLog> FDaemonLog;
    TTcpSocket FSocket;
    std::string FLogText;
    TLogLineEvent FOnLogLine;
    std::shared_ptr<TThreadCounter> FCounter;
    TRequestReader FReader;
    TSendLimits FSendLimits;
};

} // namespace vx::httpservice
