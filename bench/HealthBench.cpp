// The health check and the verdict request against live loopback services of our own framework.
#include "decisions/Verdict.h"
#include "health/HttpClient.h"
#include "health/InternetErrors.h"
#include "health/ServiceTester.h"
#include "health/SuiteServices.h"
#include "httpservice/MachineKey.h"
#include "suite-sim/SimServices.h"
#include "support/LoopbackPort.h"

#include <arpa/inet.h>
#include <chrono>
#include <memory>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

using namespace vx;

// A simulated service on a free port, listening once the constructor returns.
struct TLiveService {
    int Port = vx::test::FreeLoopbackPort();
    TThreadPtr<suitesim::TSimDaemon> Daemon;

    TLiveService(const std::string& Name, bool Monitor) {
        auto Behaviour = std::make_shared<suitesim::TSimBehaviour>();
        Behaviour->ServiceName = Name;
        Behaviour->IsMonitor = Monitor;
        Daemon = StartThread<suitesim::TSimDaemon>(Port, Behaviour);
        for (int Try = 0; Try < 500; ++Try) {
            health::TqxInternetHTTP Client;
            std::string Stream;
            Client.Get("http://127.0.0.1:" + std::to_string(Port) + "/log", Stream);
            if (Client.LastError() != health::ErrorInternetCannotConnect) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        throw std::runtime_error("service did not start");
    }

    // Request threads free themselves; none may outlive the process's static objects.
    ~TLiveService() {
        const auto Threads = Daemon->RequestThreads();
        Daemon.reset();
        Threads->WaitBelow(1, std::chrono::seconds(5));
    }
};

void BM_TestAllFiveServices(benchmark::State& State) {
    httpservice::SetMachineKey("00331-10000-00001-AA742");
    std::vector<std::unique_ptr<TLiveService>> Services;
    health::TWebThreadTester Tester;
    for (const auto& Service : health::SuiteServices) {
        Services.push_back(std::make_unique<TLiveService>(Service.ServiceName, false));
        Tester.AddTest(Services.back()->Port, Service.ServiceName, Service.DisplayName);
    }
    for (auto _ : State) {
        if (!Tester.TestAll()) {
            State.SkipWithError("a service did not work");
            break;
        }
    }
    httpservice::ClearMachineKey();
}
BENCHMARK(BM_TestAllFiveServices)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SendDecisionVerdict(benchmark::State& State) {
    TLiveService Monitor(health::SuiteServices[4].ServiceName, true);
    std::uint32_t ID = 0;
    for (auto _ : State) {
        std::string Reply;
        if (!decisions::SendDecisionVerdict(ID++, true, Reply, Monitor.Port)) {
            State.SkipWithError("the verdict was not taken");
            break;
        }
    }
}
BENCHMARK(BM_SendDecisionVerdict)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
