#pragma once

#include "decisions/DecisionList.h"
#include "decisions/Verdict.h"
#include "health/SuiteServices.h"
#include "httpservice/DaemonThread.h"
#include "httpservice/InstanceThread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vx::decisions {

inline constexpr int DecisionServerPort = health::TrayServicePort;

// Told, on the user-interface thread, that the pending decisions changed; gets the list itself.
using TDecisionsChangedEvent = std::function<void(TDecisionList& decisions)>;

// Serialises every request thread's work on the pending decisions, including the wait for
// the user-interface thread after an add. The user-interface thread never takes it.
std::mutex& DecisionListLock();

// What the decision daemon shares with its request threads, which may outlive it: the pending
// decisions and the owner's handler.
class TDecisionHub {
public:
    explicit TDecisionHub(int verdictPort) : FDecisions(verdictPort) {}

    TDecisionList& Decisions() { return FDecisions; }
    void SetOnDecisionsChanged(TDecisionsChangedEvent handler);
    // Runs the handler, if one is set, with the list on the user-interface thread and waits
    // for it; an error of the handler is raised here.
    void NotifyDecisionsChanged();

private:
    TDecisionList FDecisions;
    std::mutex FHandlerLock;
    TDecisionsChangedEvent FOnDecisionsChanged;
};

// The tray's own service: listens on DecisionServerPort, holds the pending decisions and
// tells its owner on the user-interface thread whenever their number changes. Created and
// started by StartThread<TPlimmDecisionDaemon>(); freeing it (on the user-interface thread,
// which keeps serving Synchronize meanwhile) stops it.
class TPlimmDecisionDaemon : public httpservice::TCustomHTTPDaemonThread {
public:
    // `verdictPort`: where the list sends verdicts (the monitor service); `listenPort`: where the
    // service listens.
    explicit TPlimmDecisionDaemon(int verdictPort = MonitorVerdictPort,
                                  int listenPort = DecisionServerPort);
    ~TPlimmDecisionDaemon() override;

    // Set by the owner on the user-interface thread. Cleared when the daemon is told to end
    // (Terminate, Stop, freeing it): the owner is on its way out, and the calls still served
    // while freeing waits for the loop, or made by request threads outliving the daemon, must
    // not reach it.
    void SetOnDecisionsChanged(TDecisionsChangedEvent handler);
    void Terminate() override;
    TDecisionList& Decisions() { return FHub->Decisions(); }
    // The count seen at the last notification of the loop.
    std::uint32_t LastCount() const { return FLastCount.load(); }

    void NotifyDecisionsChanged();

protected:
    int DefaultPort() const override { return FListenPort; }
    TRequestThreadClass RequestThreadClass() const override;
    // Notifies when decisions are pending and their number differs from the last one the
    // loop notified. A failing handler is logged; the service goes on.
    void DoLoop() override;
    void CheckDecisionCount();

private:
    std::shared_ptr<TDecisionHub> FHub;
    int FListenPort;
    std::atomic<std::uint32_t> FLastCount{0};
};

// Serves one connection of the decision daemon: "status" and "list" report the pending
// decisions, "add" creates one from the query's key=value fields.
class TPlimmDecisionServer : public httpservice::TCustomHTTPInstanceThread {
public:
    TPlimmDecisionServer(int socket, std::shared_ptr<httpservice::TServiceLog> daemonLog,
                         std::shared_ptr<TDecisionHub> hub);

protected:
    std::string ServiceName() const override;
    int HandleRequest(const std::string& method, const std::string& uri,
                      const std::string& remoteIp) override;
    void NotifyDaemon();

private:
    std::shared_ptr<TDecisionHub> FHub;
};

} // namespace vx::decisions
