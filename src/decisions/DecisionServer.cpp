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

constexpr int StatusOk = 200;
constexpr int StatusRejected = 504;

} // namespace

std::mutex& DecisionListLock() {
    static std::mutex Lock;
    return Lock;
}

void TDecisionHub::SetOnDecisionsChanged(TDecisionsChangedEvent Handler) {
    std::lock_guard Guard(FHandlerLock);
    FOnDecisionsChanged = std::move(Handler);
}

void TDecisionHub::NotifyDecisionsChanged() {
    TWorkerThread::Synchronize([this] {
        TDecisionsChangedEvent Handler;
        {
            std::lock_guard Guard(FHandlerLock);
            Handler = FOnDecisionsChanged;
        }
        if (Handler) {
            Handler(FDecisions);
        }
    });
}

TPlimmDecisionDaemon::TPlimmDecisionDaemon(int VerdictPort, int ListenPort)
    : FHub(std::make_shared<TDecisionHub>(VerdictPort)), FListenPort(ListenPort) {}

TPlimmDecisionDaemon::~TPlimmDecisionDaemon() {
    // The loop calls DoLoop, which uses this object: it must end before the members go.
    Stop();
    if (!Finished()) {
        WaitFor();
    }
}

void TPlimmDecisionDaemon::SetOnDecisionsChanged(TDecisionsChangedEvent Handler) {
    FHub->SetOnDecisionsChanged(std::move(Handler));
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
    return [Hub = FHub](int Socket, std::shared_ptr<httpservice::TServiceLog> DaemonLog) {
        return new TPlimmDecisionServer(Socket, std::move(DaemonLog), Hub);
    };
}

void TPlimmDecisionDaemon::DoLoop() {
    TCustomHTTPDaemonThread::DoLoop();
    if (FHub->Decisions().Count() > 0) {
        CheckDecisionCount();
    }
}

void TPlimmDecisionDaemon::CheckDecisionCount() {
    const auto Count = static_cast<std::uint32_t>(FHub->Decisions().Count());
    if (Count == FLastCount.load()) {
        return;
    }
    FLastCount = Count;
    // An error of the owner's handler would otherwise end the loop and with it the service.
    try {
        NotifyDecisionsChanged();
    } catch (...) {
        AddLogLine(Format(NotifyFailedText, CurrentExceptionText()));
    }
}

TPlimmDecisionServer::TPlimmDecisionServer(int Socket,
                                           std::shared_ptr<httpservice::TServiceLog> DaemonLog,
                                           std::shared_ptr<TDecisionHub> Hub)
    : TCustomHTTPInstanceThread(Socket, std::move(DaemonLog)), FHub(std::move(Hub)) {}

std::string TPlimmDecisionServer::ServiceName() const {
    return TrayServiceName;
}

int TPlimmDecisionServer::HandleRequest(const std::string& Method, const std::string& URI,
                                        const std::string& /*RemoteIP*/) {
    FHeaders.clear();
    FResponseBody.clear();
    int Status = StatusRejected;
    std::string Response;
    std::string Target = URI == RootPath ? StatusPath : URI;
    if (Method != GetMethod && Method != PostMethod) {
        return StatusRejected;
    }
    Target.erase(0, 1);

    TStrings Params;
    {
        std::lock_guard Guard(DecisionListLock());
        std::string Command;
        SplitURLCommand(Target, Command, Params);
        FHeaders.push_back(ContentTypeHeader);
        TDecisionList& Decisions = FHub->Decisions();
        TStrings Lines;
        if (Command == StatusCommand) {
            Decisions.GetStatusLines(Lines);
            Response = LinesAsText(Lines);
            Status = StatusOk;
        } else if (Command == ListCommand) {
            Decisions.GetListLines(Lines);
            Response = LinesAsText(Lines);
            Status = StatusOk;
        } else if (Command == AddCommandName) {
            Params = SplitTextLines(URLDecode(LinesAsText(Params)));
            if (TDecision::HasRequiredKeys(Params)) {
                const auto Decision = Decisions.Add(Params);
                Decision->GetKeyValueLines(Lines);
                Response = LinesAsText(Lines);
                Status = StatusOk;
                NotifyDaemon();
            }
        }
    }
    FResponseBody += Response;
    return Status;
}

void TPlimmDecisionServer::NotifyDaemon() {
    FHub->NotifyDecisionsChanged();
}

} // namespace vx::decisions
