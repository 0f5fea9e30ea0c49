#pragma once

#include "decisions/Verdict.h"
#include "health/HttpClient.h"
#include "platform/WorkerThread.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

namespace vx::decisions {

// A request of the user's for the monitor service: a verdict on a decision, or Live
// Protection switched on or off.
struct TMonitorRequest {
    enum TKind : std::uint8_t { rkVerdict, rkLiveProtection };

    static TMonitorRequest Verdict(std::uint32_t decisionId, bool allow, std::string item);
    static TMonitorRequest LiveProtection(bool enabled);

    // The request's path with its query (MonitorPeer.h).
    std::string Path() const;

    TKind Kind = rkVerdict;
    std::uint32_t DecisionId = 0;
    bool Allow = false;
    std::string Item; // the decision's item, to name it when the verdict is not delivered
    bool Enabled = false;
};

// A request that did not reach the monitor, and why ("The operation timed out", "the monitor
// refused it", ...).
struct TMonitorFailure {
    TMonitorRequest Request;
    std::string Reason;
};

// Told on the user-interface thread of each request that was not delivered.
using TMonitorFailureEvent = std::function<void(const TMonitorFailure& failure)>;

// The monitor runs on this machine: a request that takes longer has failed.
inline constexpr std::chrono::milliseconds MonitorConnectTimeout{2000};
inline constexpr std::chrono::milliseconds MonitorRequestTimeout{5000};

// The reason given when the monitor answers "0".
inline constexpr const char* MonitorRefusedText = "the monitor refused it";

// How long a request to the monitor may take: to connect, and in all.
struct TMonitorTimeouts {
    std::chrono::milliseconds Connect = MonitorConnectTimeout;
    std::chrono::milliseconds Request = MonitorRequestTimeout;
};

// Sends one request to the monitor on 127.0.0.1:`port` and waits for it (at most the
// time-outs). True when it was delivered: a reply other than 404 whose body is not exactly
// "0"; otherwise `reason` says why. Never throws. `cancelled` ends the wait early.
bool DeliverMonitorRequest(const TMonitorRequest& request, int port, std::string& reason,
                           TMonitorTimeouts timeouts = {},
                           const health::TCancelled& cancelled = {});

// Sends the user's requests to the monitor on one background thread, one after the other in
// the order they were given, so that the user interface never waits for the monitor. Each
// request that is not delivered is reported through the failure handler on the
// user-interface thread. Freed (on the user-interface thread, which keeps serving
// Synchronize meanwhile) it drops what is still queued, waits for the request in flight and
// reports no more failures.
class TMonitorSender : public TWorkerThread {
public:
    explicit TMonitorSender(int port = MonitorVerdictPort, TMonitorFailureEvent onFailure = {});
    ~TMonitorSender() override;

    // Queues a request; any thread.
    void Send(TMonitorRequest request);
    void Terminate() override;

    // Requests not yet finished, the one in flight included.
    std::size_t Pending() const;
    // Before Start(); for tests that cannot wait the real ones out.
    void SetTimeouts(TMonitorTimeouts timeouts) { FTimeouts = timeouts; }

protected:
    void Execute() override;

private:
    int FPort;
    TMonitorFailureEvent FOnFailure;
    TMonitorTimeouts FTimeouts;
    mutable std::mutex FLock;
    std::condition_variable FWake;
    std::deque<TMonitorRequest> FQueue;
    bool FBusy = false;
};

} // namespace vx::decisions
