#pragma once

#include "httpservice/InstanceThread.h"
#include "httpservice/PendingConnections.h"
#include "httpservice/ServiceLog.h"
#include "httpservice/TcpSocket.h"
#include "httpservice/ThreadCounter.h"
#include "platform/ThreadPool.h"
#include "platform/WorkerThread.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vx::httpservice {

// At most this many request threads of one daemon live at once; at the cap complete requests
// wait for a thread to end, and the daemon stops accepting (connections wait in the listen
// backlog).
inline constexpr int MaxRequestThreads = 256;
// The daemon listens on loopback only: the suite's peers are all local.
inline constexpr const char* BindAddress = "127.0.0.1";

// The listening half of a local HTTP service: binds BindAddress and a port, accepts
// connections and reads their requests on its own thread (PendingConnections.h), waiting at
// most 100 ms at a time, and starts one request thread of the service's class for every
// request that has arrived whole. Request threads run on a pool of reused threads. It keeps the
// service log (shared with its request threads), moves to another port when RequestedPort changes
// (falling back once to the previous port), and runs DoLoop once per pass of its loop.
//
// A concrete service supplies DefaultPort and RequestThreadClass (asked once, when the thread
// is started) and may override DoLoop. Create and start it with StartThread<T>(...) and keep
// the TThreadPtr: freeing it stops the loop and waits for the body, pumping queued
// Synchronize calls when that happens on the UI thread.
//
// The process exits with code 1 (at once, on the daemon thread) when a bind reports a socket
// error other than a taken port, when listen fails, and when a rebind and the fallback to the
// previous port both fail.
class TCustomHTTPDaemonThread : public TWorkerThread {
public:
    // Creates the request thread for an accepted connection: the socket and the daemon's log,
    // to be passed on to the TCustomHTTPInstanceThread constructor.
    using TRequestThreadClass = std::function<TCustomHTTPInstanceThread*(
        int socket, std::shared_ptr<TServiceLog> daemonLog)>;

    // The request-thread class of T (constructible from the socket and the log).
    template <class T>
    static TRequestThreadClass RequestThreadClassOf() {
        return [](int socket, std::shared_ptr<TServiceLog> daemonLog) {
            return new T(socket, std::move(daemonLog));
        };
    }

    TCustomHTTPDaemonThread();
    ~TCustomHTTPDaemonThread() override;

    // Ends the loop (within about 100 ms). Any thread may call it.
    void Stop();

    void Log(char level, const std::string& source, const std::string& uri,
             const std::string& message);
    void AddLogLine(const std::string& text);
    const std::shared_ptr<TServiceLog>& ServiceLog() const { return FLog; }
    const std::shared_ptr<TThreadCounter>& RequestThreads() const { return FRequestThreads; }

    // Ports as decimal text; both start as DefaultPort() when the thread starts. Setting a
    // different requested port makes the loop move there on its next pass.
    std::string Port() const;
    std::string RequestedPort() const;
    void SetRequestedPort(const std::string& port);

    // What connections waiting for their requests may cost, and how long sending a response
    // may take; set before Start() or on the daemon's thread (DoLoop).
    void SetPendingLimits(const TPendingLimits& limits) { FPending->SetLimits(limits); }
    void SetSendLimits(const TSendLimits& limits) { FSendLimits = limits; }

protected:
    virtual int DefaultPort() const = 0;
    virtual TRequestThreadClass RequestThreadClass() const = 0;
    // Runs on the daemon thread once per pass of the loop.
    virtual void DoLoop() {}

    // Binds the listening socket to Port() and listens; false when the port is taken.
    bool BindAndListen();
    // Logs `format` with the socket's error in place of %s and exits the process with code 1
    // if the last operation on the listening socket failed.
    void CheckSocketError(const std::string& format);
    TTcpSocket& ListeningSocket() { return *FSocket; }

    void Starting() override;
    void Execute() override;

private:
    void Rebind(bool& fellBack);
    void ServeConnections();
    void StartRequestThread(TArrivedRequest request);
    [[noreturn]] void ExitProcess();

    std::unique_ptr<TTcpSocket> FSocket;
    std::shared_ptr<TServiceLog> FLog;
    mutable std::mutex FPortLock;
    std::string FPort;
    std::string FRequestedPort;
    std::string FPreviousPort; // the daemon thread's own
    std::atomic<bool> FStopRequested{false};
    TRequestThreadClass FRequestThreadClass;
    bool FAutoRebind = true;
    bool FStarted = false;
    std::shared_ptr<TThreadCounter> FRequestThreads;
    std::unique_ptr<TPendingConnections> FPending;
    std::shared_ptr<TThreadPool> FPool;    // where request threads run
    std::vector<TArrivedRequest> FArrived; // complete, waiting for a request thread
    TSendLimits FSendLimits;
};

} // namespace vx::httpservice
