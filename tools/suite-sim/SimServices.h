#pragma once

#include "httpservice/DaemonThread.h"
#include "httpservice/InstanceThread.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vx::suitesim {

// One of the suite's services this simulator can stand in for.
struct TSimServiceInfo {
    const char* OptionName; // as --services, --corrupt and --hang name it
    int Port;
    const char* ServiceName;
};

// update, firewall, scanner, monitor: the suite's services other than the tray.
const std::vector<TSimServiceInfo>& SimulatedServices();
// The entry for an option name; null when there is none.
const TSimServiceInfo* FindSimulatedService(const std::string& optionName);

// How one simulated service behaves; shared by its daemon and request threads.
struct TSimBehaviour {
    std::string ServiceName;
    bool Corrupt = false;    // answers the integrity probe with a wrong token
    bool Hang = false;       // accepts connections and never answers
    bool IsMonitor = false;  // takes verdicts and Live Protection requests
    bool Monitor404 = false; // answers them with 404
    std::string MonitorReply = "1";
    // The monitor's Live Protection: while it is off, the monitor raises no decisions.
    std::atomic<bool> LiveProtection{true};
    // Told, on a request thread, "verdict id=N allow" (or deny) for each verdict taken and
    // "live protection off" (or on) for each Live Protection request.
    std::function<void(const std::string& line)> OnMonitorLine;
    // Set to let go of the connections a hanging service holds.
    std::atomic<bool> ReleaseHung{false};
};

// A simulated service on the local HTTP service framework.
class TSimDaemon : public httpservice::TCustomHTTPDaemonThread {
public:
    TSimDaemon(int port, std::shared_ptr<TSimBehaviour> behaviour);
    ~TSimDaemon() override;

protected:
    int DefaultPort() const override { return FPortNumber; }
    TRequestThreadClass RequestThreadClass() const override;

private:
    int FPortNumber;
    std::shared_ptr<TSimBehaviour> FBehaviour;
};

// The name whose token a service answers with: its own, or (corrupt) one whose first byte
// differs, so that the token differs for every non-empty machine key.
std::string TokenName(const TSimBehaviour& behaviour);

} // namespace vx::suitesim
