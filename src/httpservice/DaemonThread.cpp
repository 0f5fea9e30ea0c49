#include "httpservice/DaemonThread.h"

#include "platform/Format.h"

#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>

namespace vx::httpservice {
namespace {

constexpr const char* ListeningText = "Listening on port %s...";
constexpr const char* RebindingText = "Rebinding from port %s to port %s...";
constexpr const char* RebindingBackText = "Rebinding to previous port %s...!";
constexpr const char* PortInUseText = "Error binding to interface: Port already in use!";
constexpr const char* BindErrorText = "Error binding to interface: %s!";
constexpr const char* ListenErrorText = "Error listening on interface: %s!";
constexpr char ListeningLevel = '9';
constexpr char RebindLevel = '5';
constexpr char ErrorLevel = 'e';

constexpr int PollIntervalMs = 100;
// While complete requests wait for a thread, how often to look whether one has ended.
constexpr int ThreadCapPollMs = 10;
constexpr int LingerMs = 10000;

// The port number of a decimal text, or -1 when it is not one.
long ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5) {
        return -1;
    }
    long port = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        port = port * 10 + (c - '0');
    }
    return port <= 65535 ? port : -1;
}

} // namespace

TCustomHTTPDaemonThread::TCustomHTTPDaemonThread()
    : FSocket(std::make_unique<TTcpSocket>()), FLog(std::make_shared<TServiceLog>()),
      FRequestThreads(std::make_shared<TThreadCounter>()),
      FPending(std::make_unique<TPendingConnections>()),
      FPool(std::make_shared<TThreadPool>(TThreadPool::TSettings{RequestThreadStack, 64})) {}

TCustomHTTPDaemonThread::~TCustomHTTPDaemonThread() {
    Stop();
    if (!Finished()) {
        WaitFor();
    }
}

void TCustomHTTPDaemonThread::Stop() {
    FStopRequested = true;
    Terminate();
}

void TCustomHTTPDaemonThread::Log(char level, const std::string& source, const std::string& uri,
                                  const std::string& message) {
    FLog->Log(level, source, uri, message);
}

void TCustomHTTPDaemonThread::AddLogLine(const std::string& text) {
    FLog->AddLogLine(text);
}

std::string TCustomHTTPDaemonThread::Port() const {
    std::lock_guard lock(FPortLock);
    return FPort;
}

std::string TCustomHTTPDaemonThread::RequestedPort() const {
    std::lock_guard lock(FPortLock);
    return FRequestedPort;
}

void TCustomHTTPDaemonThread::SetRequestedPort(const std::string& port) {
    std::lock_guard lock(FPortLock);
    FRequestedPort = port;
}

void TCustomHTTPDaemonThread::Starting() {
    const std::string port = std::to_string(DefaultPort());
    {
        std::lock_guard lock(FPortLock);
        FPort = port;
        FRequestedPort = port;
    }
    FRequestThreadClass = RequestThreadClass();
}

void TCustomHTTPDaemonThread::Execute() {
    if (FStarted) {
        return;
    }
    FStarted = true;
    FSocket->Create();
    BindAndListen();
    Log(ListeningLevel, BindAddress, "", Format(ListeningText, Port()));

    bool fellBack = false;
    while (!Terminated()) {
        if (FAutoRebind && Port() != RequestedPort()) {
            Rebind(fellBack);
        }
        DoLoop();
        ServeConnections();
        if (FStopRequested) {
            break;
        }
    }
}

void TCustomHTTPDaemonThread::Rebind(bool& fellBack) {
    if (!fellBack) {
        Log(RebindLevel, BindAddress, "", Format(RebindingText, Port(), RequestedPort()));
    } else {
        Log(RebindLevel, BindAddress, "", Format(RebindingBackText, FPreviousPort));
    }
    {
        std::lock_guard lock(FPortLock);
        FPreviousPort = FPort;
        FPort = FRequestedPort;
    }
    FPending->SetListener(-1);
    FSocket = std::make_unique<TTcpSocket>();
    FSocket->Create();
    if (BindAndListen()) {
        fellBack = false;
    } else {
        if (fellBack) {
            ExitProcess();
        }
        fellBack = true;
        SetRequestedPort(FPreviousPort);
    }
    Log(RebindLevel, BindAddress, "", Format(ListeningText, Port()));
}

bool TCustomHTTPDaemonThread::BindAndListen() {
    const long port = ParsePort(Port());
    FSocket->SetLinger(true, LingerMs / 1000);
    // On Linux SO_REUSEADDR still refuses a port another socket listens on; it only lets
    // the port be bound again while connections served earlier sit in TIME_WAIT, as a bind
    // on Windows does.
    FSocket->SetReuseAddress();
    FSocket->Bind(BindAddress, port);
    if (FSocket->LocalPort() != port) {
        Log(ErrorLevel, BindAddress, "", PortInUseText);
        if (FPreviousPort.empty()) {
            Stop();
        }
        return false;
    }
    CheckSocketError(BindErrorText);
    FSocket->Listen(SOMAXCONN);
    CheckSocketError(ListenErrorText);
    FPending->SetListener(FSocket->Handle());
    return true;
}

void TCustomHTTPDaemonThread::CheckSocketError(const std::string& format) {
    if (FSocket->LastError() > 0) {
        Log(ErrorLevel, BindAddress, "", Format(format, FSocket->LastErrorText()));
        ExitProcess();
    }
}

void TCustomHTTPDaemonThread::ServeConnections() {
    FPending->SetAccepting(FRequestThreads->Count() < MaxRequestThreads);
    FPending->Poll(FArrived.empty() ? PollIntervalMs : ThreadCapPollMs, FArrived);
    std::size_t started = 0;
    while (started < FArrived.size() && FRequestThreads->Count() < MaxRequestThreads) {
        StartRequestThread(std::move(FArrived[started++]));
    }
    FArrived.erase(FArrived.begin(), FArrived.begin() + static_cast<long>(started));
}

void TCustomHTTPDaemonThread::StartRequestThread(TArrivedRequest request) {
    // The thread object owns the connection from its construction on; one that fails half
    // way has closed it already.
    const int socket = request.Socket.Release();
    std::unique_ptr<TCustomHTTPInstanceThread> thread;
    try {
        thread.reset(FRequestThreadClass(socket, FLog));
    } catch (const std::exception&) {
        return;
    }
    if (!thread) {
        TTcpSocket(socket).ShutdownAndClose();
        return;
    }
    thread->SetRequest(std::move(request.Reader));
    thread->SetSendLimits(FSendLimits);
    thread->SetThreadPool(FPool);
    thread->BindDaemon(
        [log = FLog](char level, const std::string& source, const std::string& uri,
                     const std::string& message) { log->Log(level, source, uri, message); },
        [log = FLog](const std::string& text) { log->AddLogLine(text); }, FRequestThreads);
    try {
        thread->Start();
    } catch (const std::exception&) {
        // No thread could be made: the connection is closed unanswered.
        return;
    }
    static_cast<void>(thread.release()); // it frees itself
}

void TCustomHTTPDaemonThread::ExitProcess() {
    // At once and on this thread: a normal shutdown would wait for this very thread.
    std::fflush(nullptr);
    std::_Exit(1);
}

} // namespace vx::httpservice
