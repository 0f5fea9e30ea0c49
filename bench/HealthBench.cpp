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

    TLiveService(const std::string& name, bool monitor) {
        auto behaviour = std::make_shared<suitesim::TSimBehaviour>();
        behaviour->ServiceName = name;
        behaviour->IsMonitor = monitor;
        Daemon = StartThread<suitesim::TSimDaemon>(Port, behaviour);
        for (int attempt = 0; attempt < 500; ++attempt) {
            health::TqxInternetHTTP client;
            std::string stream;
            client.Get("http://127.0.0.1:" + std::to_string(Port) + "/log", stream);
            if (client.LastError() != health::ErrorInternetCannotConnect) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        throw std::runtime_error("service did not start");
    }

    // Request threads free themselves; none may outlive the process's static objects.
    ~TLiveService() {
        const auto threads = Daemon->RequestThreads();
        Daemon.reset();
        threads->WaitBelow(1, std::chrono::seconds(5));
    }
};

void BM_TestAllFiveServices(benchmark::State& state) {
    httpservice::SetMachineKey("00331-10000-00001-AA742");
    std::vector<std::unique_ptr<TLiveService>> services;
    health::TWebThreadTester tester;
    for (const auto& service : health::SuiteServices) {
        services.push_back(std::make_unique<TLiveService>(service.ServiceName, false));
        tester.AddTest(services.back()->Port, service.ServiceName, service.DisplayName);
    }
    for (auto _ : state) {
        if (!tester.TestAll()) {
            state.SkipWithError("a service did not work");
            break;
        }
    }
    httpservice::ClearMachineKey();
}
BENCHMARK(BM_TestAllFiveServices)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SendDecisionVerdict(benchmark::State& state) {
    TLiveService monitor(health::SuiteServices[4].ServiceName, true);
    std::uint32_t id = 0;
    for (auto _ : state) {
        std::string reply;
        if (!decisions::SendDecisionVerdict(id++, true, reply, monitor.Port)) {
            state.SkipWithError("the verdict was not taken");
            break;
        }
    }
}
BENCHMARK(BM_SendDecisionVerdict)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
