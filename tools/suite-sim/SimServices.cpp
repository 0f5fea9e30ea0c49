#include "suite-sim/SimServices.h"

#include "decisions/MonitorPeer.h"
#include "health/SuiteServices.h"

#include <chrono>
#include <thread>

namespace vx::suitesim {

namespace {

constexpr const char* const VerdictLineStart = "verdict id=";
constexpr const char* const WordAllow = " allow";
constexpr const char* const WordDeny = " deny";
constexpr const char* const LiveProtectionOff = "live protection off";
constexpr const char* const LiveProtectionOn = "live protection on";
constexpr const char* const CorruptNamePrefix = "~";
constexpr const char* const ContentTypeHeader = "Content-type: text/plain";
constexpr int StatusOk = 200;
constexpr int StatusBadRequest = 400;
constexpr int StatusNotFound = 404;
constexpr auto HangPoll = std::chrono::milliseconds(50);

// Serves one connection of a simulated service.
class TSimRequestThread : public httpservice::TCustomHTTPInstanceThread {
public:
    TSimRequestThread(int socket, std::shared_ptr<httpservice::TServiceLog> log,
                      std::shared_ptr<TSimBehaviour> behaviour)
        : TCustomHTTPInstanceThread(socket, std::move(log)), FBehaviour(std::move(behaviour)) {}

protected:
    std::string ServiceName() const override { return TokenName(*FBehaviour); }

    int HandleRequest(const std::string&, const std::string& uri, const std::string&) override {
        const bool verdict = uri.rfind(decisions::VerdictCommand, 0) == 0;
        const bool liveProtection = uri.rfind(decisions::LiveProtectionCommand, 0) == 0;
        if (!FBehaviour->IsMonitor || (!verdict && !liveProtection) || FBehaviour->Monitor404) {
            return StatusNotFound;
        }
        std::string line;
        if (verdict) {
            std::uint32_t id = 0;
            bool allow = false;
            if (!decisions::ParseVerdictPath(uri, id, allow)) {
                return StatusBadRequest;
            }
            line = VerdictLineStart + std::to_string(id) + (allow ? WordAllow : WordDeny);
        } else {
            bool enabled = false;
            if (!decisions::ParseLiveProtectionPath(uri, enabled)) {
                return StatusBadRequest;
            }
            FBehaviour->LiveProtection = enabled;
            line = enabled ? LiveProtectionOn : LiveProtectionOff;
        }
        if (FBehaviour->OnMonitorLine) {
            FBehaviour->OnMonitorLine(line);
        }
        FHeaders.push_back(ContentTypeHeader);
        FResponseBody = FBehaviour->MonitorReply;
        return StatusOk;
    }

    void Execute() override {
        if (!FBehaviour->Hang) {
            TCustomHTTPInstanceThread::Execute();
            return;
        }
        // Holds the accepted connection without reading or answering.
        while (!FBehaviour->ReleaseHung && !Terminated()) {
            std::this_thread::sleep_for(HangPoll);
        }
    }

private:
    std::shared_ptr<TSimBehaviour> FBehaviour;
};

} // namespace

const std::vector<TSimServiceInfo>& SimulatedServices() {
    static const std::vector<TSimServiceInfo> services{
        {"update", health::UpdaterServicePort, health::SuiteServices[0].ServiceName},
        {"firewall", health::FirewallServicePort, health::SuiteServices[1].ServiceName},
        {"scanner", health::ScannerServicePort, health::SuiteServices[2].ServiceName},
        {"monitor", health::MonitorServicePort, health::SuiteServices[4].ServiceName},
    };
    return services;
}

const TSimServiceInfo* FindSimulatedService(const std::string& optionName) {
    for (const auto& service : SimulatedServices()) {
        if (optionName == service.OptionName) {
            return &service;
        }
    }
    return nullptr;
}

std::string TokenName(const TSimBehaviour& behaviour) {
    return behaviour.Corrupt ? CorruptNamePrefix + behaviour.ServiceName : behaviour.ServiceName;
}

TSimDaemon::TSimDaemon(int port, std::shared_ptr<TSimBehaviour> behaviour)
    : FPortNumber(port), FBehaviour(std::move(behaviour)) {}

TSimDaemon::~TSimDaemon() {
    FBehaviour->ReleaseHung = true;
}

TSimDaemon::TRequestThreadClass TSimDaemon::RequestThreadClass() const {
    return [behaviour = FBehaviour](int socket, std::shared_ptr<httpservice::TServiceLog> log) {
        return new TSimRequestThread(socket, std::move(log), behaviour);
    };
}

} // namespace vx::suitesim
