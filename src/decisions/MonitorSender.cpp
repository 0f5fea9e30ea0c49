#include "decisions/MonitorSender.h"

#include "decisions/MonitorPeer.h"
#include "health/HttpClient.h"
#include "health/InternetErrors.h"
#include "platform/Exception.h"

#include <utility>

namespace vx::decisions {

namespace {

constexpr const char* const MonitorHost = "127.0.0.1";

} // namespace

TMonitorRequest TMonitorRequest::Verdict(std::uint32_t decisionId, bool allow, std::string item) {
    TMonitorRequest request;
    request.Kind = rkVerdict;
    request.DecisionId = decisionId;
    request.Allow = allow;
    request.Item = std::move(item);
    return request;
}

TMonitorRequest TMonitorRequest::LiveProtection(bool enabled) {
    TMonitorRequest request;
    request.Kind = rkLiveProtection;
    request.Enabled = enabled;
    return request;
}

std::string TMonitorRequest::Path() const {
    return Kind == rkVerdict ? VerdictPath(DecisionId, Allow) : LiveProtectionPath(Enabled);
}

bool DeliverMonitorRequest(const TMonitorRequest& request, int port, std::string& reason,
                           TMonitorTimeouts timeouts, const health::TCancelled& cancelled) {
    try {
        health::TqxInternetHTTP client;
        client.SetTimeouts(timeouts.Connect, timeouts.Request);
        client.SetCancelled(cancelled);
        std::string reply;
        if (!client.Get(health::BuildHttpURL(MonitorHost, port, request.Path()), reply)) {
            reason = health::InternetErrorText(client.LastError());
            return false;
        }
        if (IsRefusal(reply)) {
            reason = MonitorRefusedText;
            return false;
        }
        return true;
    } catch (...) {
        reason = CurrentExceptionText();
        return false;
    }
}

TMonitorSender::TMonitorSender(int port, TMonitorFailureEvent onFailure)
    : FPort(port), FOnFailure(std::move(onFailure)) {}

TMonitorSender::~TMonitorSender() = default;

void TMonitorSender::Send(TMonitorRequest request) {
    {
        const std::lock_guard lock(FLock);
        FQueue.push_back(std::move(request));
    }
    FWake.notify_one();
}

void TMonitorSender::Terminate() {
    {
        // Under the lock, so that the body cannot miss the request between its look at the
        // flag and its wait.
        const std::lock_guard lock(FLock);
        TWorkerThread::Terminate();
    }
    FWake.notify_one();
}

std::size_t TMonitorSender::Pending() const {
    const std::lock_guard lock(FLock);
    return FQueue.size() + (FBusy ? 1 : 0);
}

void TMonitorSender::Execute() {
    while (true) {
        TMonitorRequest request;
        {
            std::unique_lock lock(FLock);
            FBusy = false;
            FWake.wait(lock, [this] { return Terminated() || !FQueue.empty(); });
            if (Terminated()) {
                FQueue.clear();
                return;
            }
            request = std::move(FQueue.front());
            FQueue.pop_front();
            FBusy = true;
        }
        std::string reason;
        // Once the sender is told to end, its user interface is on its way out.
        // A request in flight when the sender is told to end is cancelled.
        if (!DeliverMonitorRequest(request, FPort, reason, FTimeouts,
                                   [this] { return Terminated(); }) &&
            FOnFailure && !Terminated()) {
            TMonitorFailure failure{std::move(request), std::move(reason)};
            Synchronize([this, &failure] { FOnFailure(failure); });
        }
    }
}

} // namespace vx::decisions
