#pragma once

#include "httpservice/ServiceLog.h"
#include "httpservice/TcpSocket.h"
#include "httpservice/ThreadCounter.h"
#include "platform/WorkerThread.h"

#include <memory>
#include <string>
#include <vector>

namespace vx::httpservice {

// Request limits: a request over any of them is dropped like a malformed one.
inline constexpr std::size_t MaxRequestLineLength = std::size_t{64} * 1024;
inline constexpr std::size_t MaxHeaderLineLength = std::size_t{8} * 1024;
inline constexpr int MaxHeaderLines = 100;
inline constexpr long MaxRequestBody = 1024L * 1024;

// Serves one accepted connection of a daemon (DaemonThread.h) with a minimal HTTP/1.0
// exchange: one request line, header lines, an optional body (Content-Length), then one
// response, and the connection closes. "/integrity-local" (this service's integrity token)
// and "/log" (the daemon's line log) are answered here; every other request goes to
// HandleRequest of the concrete service.
//
// The daemon creates it through its request-thread class, binds the log callbacks and starts
// it; it frees itself when done. It holds the daemon's service log and thread counter by
// shared ownership and nothing else of the daemon, so it may outlive the daemon safely. A
// concrete service that needs more of its daemon's state passes it to its request threads as
// a std::shared_ptr through the request-thread class.
class TCustomHTTPInstanceThread : public TWorkerThread {
public:
    // Takes ownership of the accepted connection `socket` (send and receive time-outs
    // 5000 ms). Free-on-terminate; not started.
    TCustomHTTPInstanceThread(int socket, std::shared_ptr<TServiceLog> daemonLog);
    ~TCustomHTTPInstanceThread() override;

    // Bound by the daemon before it starts the thread.
    void BindDaemon(TLogEvent onLog, TLogLineEvent onLogLine,
                    std::shared_ptr<TThreadCounter> counter);

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
    // The limit on each wait for request data.
    int FReadWaitMs = 120000;

private:
    bool Fill();
    bool ReadLine(std::string& line, std::size_t limit);
    bool ReadBody(long length);
    int Dispatch(const std::string& method, const std::string& uri);
    void SendResponse(int status, bool withHeaders);

    std::shared_ptr<TServiceLog> FDaemonLog;
    TTcpSocket FSocket;
    std::string FLogText;
    TLogLineEvent FOnLogLine;
    std::shared_ptr<TThreadCounter> FCounter;
    std::string FInput; // received, not yet consumed
    std::size_t FScanned = 0;
};

} // namespace vx::httpservice
