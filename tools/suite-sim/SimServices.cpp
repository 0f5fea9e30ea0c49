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
constexpr const char* const CorruptNamePrefix = "~";
constexpr const char* const ContentTypeHeader = "Content-type: text/plain";
constexpr int StatusOk = 200;
constexpr int StatusBadRequest = 400;
constexpr int StatusNotFound = 404;
constexpr auto HangPoll = std::chrono::milliseconds(50);

// Serves one connection of a simulated service.
class TSimRequestThread : public httpservice::TCustomHTTPInstanceThread {
public:
    TSimRequestThread(int Socket, std::shared_ptr<httpservice::TServiceLog> Log,
                      std::shared_ptr<TSimBehaviour> Behaviour)
        : TCustomHTTPInstanceThread(Socket, std::move(Log)), FBehaviour(std::move(Behaviour)) {}

protected:
    std::string ServiceName() const override { return TokenName(*FBehaviour); }

    int HandleRequest(const std::string&, const std::string& Uri, const std::string&) override {
        if (!FBehaviour->IsMonitor || Uri.rfind(decisions::VerdictCommand, 0) != 0) {
            return StatusNotFound;
        }
        if (FBehaviour->Monitor404) {
            return StatusNotFound;
        }
        std::uint32_t ID = 0;
        bool Allow = false;
        if (!decisions::ParseVerdictPath(Uri, ID, Allow)) {
            return StatusBadRequest;
        }
        if (FBehaviour->OnVerdict) {
            FBehaviour->OnVerdict(VerdictLineStart + std::to_string(ID) +
                                  (Allow ? WordAllow : WordDeny));
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
    static const std::vector<TSimServiceInfo> Services{
        {"update", health::UpdaterServicePort, health::SuiteServices[0].ServiceName},
        {"firewall", health::FirewallServicePort, health::SuiteServices[1].ServiceName},
        {"scanner", health::ScannerServicePort, health::SuiteServices[2].ServiceName},
        {"monitor", health::MonitorServicePort, health::SuiteServices[4].ServiceName},
    };
    return Services;
}

const TSimServiceInfo* FindSimulatedService(const std::string& OptionName) {
    for (const auto& Service : SimulatedServices()) {
        if (OptionName == Service.OptionName) {
            return &Service;
        }
    }
    return nullptr;
}

std::string TokenName(const TSimBehaviour& Behaviour) {
    return Behaviour.Corrupt ? CorruptNamePrefix + Behaviour.ServiceName : Behaviour.ServiceName;
}

TSimDaemon::TSimDaemon(int Port, std::shared_ptr<TSimBehaviour> Behaviour)
    : FPortNumber(Port), FBehaviour(std::move(Behaviour)) {}

TSimDaemon::~TSimDaemon() {
    FBehaviour->ReleaseHung = true;
}

TSimDaemon::TRequestThreadClass TSimDaemon::RequestThreadClass() const {
    return [Behaviour = FBehaviour](int Socket, std::shared_ptr<httpservice::TServiceLog> Log) {
        return new TSimRequestThread(Socket, std::move(Log), Behaviour);
    };
}

} // namespace vx::suitesim
