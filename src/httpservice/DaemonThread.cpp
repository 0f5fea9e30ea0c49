#include "httpservice/DaemonThread.h"

#include "platform/Format.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <thread>

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
      FRequestThreads(std::make_shared<TThreadCounter>()) {}

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
        AcceptConnection();
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
    return true;
}

void TCustomHTTPDaemonThread::CheckSocketError(const std::string& format) {
    if (FSocket->LastError() > 0) {
        Log(ErrorLevel, BindAddress, "", Format(format, FSocket->LastErrorText()));
        ExitProcess();
    }
}

void TCustomHTTPDaemonThread::AcceptConnection() {
    if (FRequestThreads->Count() >= MaxRequestThreads) {
        FRequestThreads->WaitBelow(MaxRequestThreads, std::chrono::milliseconds(PollIntervalMs));
        return;
    }
    if (!FSocket->Listening()) {
        // After a failed rebind: nothing to accept until the next pass binds again.
        std::this_thread::sleep_for(std::chrono::milliseconds(PollIntervalMs));
        return;
    }
    if (FSocket->WaitReadable(PollIntervalMs) != TTcpSocket::TWait::Ready) {
        return;
    }
    const int socket = FSocket->Accept();
    if (socket >= 0) {
        StartRequestThread(socket);
    } else if (FSocket->LastError() == EMFILE || FSocket->LastError() == ENFILE) {
        // Out of descriptors the connection stays readable: pause rather than spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(PollIntervalMs));
    }
}

void TCustomHTTPDaemonThread::StartRequestThread(int socket) {
    std::unique_ptr<TCustomHTTPInstanceThread> thread;
    try {
        thread.reset(FRequestThreadClass(socket, FLog));
    } catch (const std::exception&) {
    }
    if (!thread) {
        TTcpSocket dropped(socket); // closes it
        return;
    }
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
