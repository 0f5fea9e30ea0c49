#include "decisions/DecisionServer.h"

#include "decisions/URLCommand.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "platform/WorkerThread.h"

#include <exception>
#include <utility>

namespace vx::decisions {
namespace {

constexpr const char* TrayServiceName = "VXTray";
constexpr const char* GetMethod = "GET";
constexpr const char* PostMethod = "POST";
constexpr const char* RootPath = "/";
constexpr const char* StatusPath = "/status";
constexpr const char* StatusCommand = "status";
constexpr const char* ListCommand = "list";
constexpr const char* AddCommandName = "add";
constexpr const char* ContentTypeHeader = "Content-type: text/plain";
constexpr const char* NotifyFailedText =
    "Notifying the owner of changed decisions failed (reason: %s)";
constexpr const char* AddRefusedText = "Decision not accepted: %s pending decisions hold %s bytes "
                                       "of text (at most %s decisions and %s bytes)";

constexpr int StatusOk = 200;
constexpr int StatusRejected = 504;

} // namespace

std::mutex& DecisionListLock() {
    static std::mutex lock;
    return lock;
}

void TDecisionHub::SetOnDecisionsChanged(TDecisionsChangedEvent handler) {
    std::lock_guard guard(FHandlerLock);
    FOnDecisionsChanged = std::move(handler);
}

void TDecisionHub::NotifyDecisionsChanged() {
    TWorkerThread::Synchronize([this] {
        TDecisionsChangedEvent handler;
        {
            std::lock_guard guard(FHandlerLock);
            handler = FOnDecisionsChanged;
        }
        if (handler) {
            handler(FDecisions);
        }
    });
}

TPlimmDecisionDaemon::TPlimmDecisionDaemon(int verdictPort, int listenPort)
    : FHub(std::make_shared<TDecisionHub>(verdictPort)), FListenPort(listenPort) {}

TPlimmDecisionDaemon::~TPlimmDecisionDaemon() {
    // The loop calls DoLoop, which uses this object: it must end before the members go.
    Stop();
    if (!Finished()) {
        WaitFor();
    }
}

void TPlimmDecisionDaemon::SetOnDecisionsChanged(TDecisionsChangedEvent handler) {
    FHub->SetOnDecisionsChanged(std::move(handler));
}

void TPlimmDecisionDaemon::Terminate() {
    FHub->SetOnDecisionsChanged({});
    TCustomHTTPDaemonThread::Terminate();
}

void TPlimmDecisionDaemon::NotifyDecisionsChanged() {
    FHub->NotifyDecisionsChanged();
}

httpservice::TCustomHTTPDaemonThread::TRequestThreadClass
TPlimmDecisionDaemon::RequestThreadClass() const {
    return [hub = FHub](int socket, std::shared_ptr<httpservice::TServiceLog> daemonLog) {
        return new TPlimmDecisionServer(socket, std::move(daemonLog), hub);
    };
}

void TPlimmDecisionDaemon::DoLoop() {
    TCustomHTTPDaemonThread::DoLoop();
    if (FHub->Decisions().Count() > 0) {
        CheckDecisionCount();
    }
}

void TPlimmDecisionDaemon::CheckDecisionCount() {
    const auto count = static_cast<std::uint32_t>(FHub->Decisions().Count());
    if (count == FLastCount.load()) {
        return;
    }
    FLastCount = count;
    // An error of the owner's handler would otherwise end the loop and with it the service.
    try {
        NotifyDecisionsChanged();
    } catch (...) {
        AddLogLine(Format(NotifyFailedText, CurrentExceptionText()));
    }
}

TPlimmDecisionServer::TPlimmDecisionServer(int socket,
                                           std::shared_ptr<httpservice::TServiceLog> daemonLog,
                                           std::shared_ptr<TDecisionHub> hub)
    : TCustomHTTPInstanceThread(socket, std::move(daemonLog)), FHub(std::move(hub)) {}

std::string TPlimmDecisionServer::ServiceName() const {
    return TrayServiceName;
}

int TPlimmDecisionServer::HandleRequest(const std::string& method, const std::string& uri,
                                        const std::string& /*remoteIp*/) {
    FHeaders.clear();
    FResponseBody.clear();
    int status = StatusRejected;
    std::string target = uri == RootPath ? StatusPath : uri;
    if (method != GetMethod && method != PostMethod) {
        return StatusRejected;
    }
    target.erase(0, 1);

    TStrings params;
    std::string response; // the body only once nothing failed
    std::string refused;
    {
        std::lock_guard guard(DecisionListLock());
        std::string command;
        SplitURLCommand(target, command, params);
        FHeaders.push_back(ContentTypeHeader);
        TDecisionList& decisions = FHub->Decisions();
        if (command == StatusCommand) {
            FSharedResponseBody = decisions.StatusText();
            status = StatusOk;
        } else if (command == ListCommand) {
            FSharedResponseBody = decisions.ListText();
            status = StatusOk;
        } else if (command == AddCommandName) {
            params = SplitTextLines(URLDecode(LinesAsText(params)));
            if (TDecision::HasRequiredKeys(params)) {
                if (const auto decision = decisions.Add(params)) {
                    TStrings lines;
                    decision->GetKeyValueLines(lines);
                    response = LinesAsText(lines);
                    status = StatusOk;
                    NotifyDaemon();
                } else {
                    const TDecisionLimits limits = decisions.Limits();
                    refused =
                        Format(AddRefusedText, std::to_string(decisions.Count()),
                               std::to_string(decisions.TextBytes()), std::to_string(limits.Count),
                               std::to_string(limits.TextBytes));
                }
            }
        }
    }
    if (!refused.empty()) {
        LogLine(refused); // waits for the user-interface thread: not under the lock
    }
    FResponseBody = std::move(response);
    return status;
}

void TPlimmDecisionServer::NotifyDaemon() {
    FHub->NotifyDecisionsChanged();
}

} // namespace vx::decisions
