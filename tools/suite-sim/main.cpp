// suite-sim: the suite's update, firewall, scanner and monitor services, for demos and tests.
#include "decisions/MonitorPeer.h"
#include "httpservice/MachineKey.h"
#include "platform/Machine.h"
#include "suite-sim/SampleDecisions.h"
#include "suite-sim/SimOptions.h"
#include "suite-sim/SimServices.h"
#include "suite-sim/TrayAdd.h"

#include <chrono>
#include <csignal>
#include <iostream>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace vx::suitesim;

constexpr const char* const UsageHint = "Type \"suite-sim --help\" for usage.";
constexpr const char* const ErrorStart = "suite-sim: ";
constexpr auto StartupGrace = std::chrono::milliseconds(300);
constexpr auto RequestDrain = std::chrono::seconds(6);

std::mutex OutputLock;

void PrintLine(const std::string& line) {
    std::lock_guard guard(OutputLock);
    std::cout << line << std::endl;
}

// The prefix's registry gives the machine key, as the tray reads it.
void InitMachineKeyFromPrefix() {
    vx::win::OpenMachine();
    vx::httpservice::InitMachineKey();
}

// The tray's status line and body on standard output; why it did not take the decision on
// standard error.
int SendOneAdd(const std::string& query) {
    const TTrayAnswer answer = AddToTray(query);
    if (!answer.StatusLine.empty()) {
        PrintLine(answer.StatusLine);
    }
    if (!answer.Body.empty()) {
        PrintLine(answer.Body);
    }
    if (Accepted(answer)) {
        return 0;
    }
    std::cerr << ErrorStart << RefusalReason(query, answer) << std::endl;
    return 1;
}

void RaiseSample(std::size_t number) {
    std::string reply;
    if (SendAddToTray(vx::decisions::AddQuery(SampleDecision(number)), reply)) {
        PrintLine("raised " + reply.substr(0, reply.find("\r\n")));
    } else {
        PrintLine("raise failed: " + (reply.empty() ? std::string("not accepted") : reply));
    }
}

int RunServices(const TSimOptions& options) {
    std::vector<vx::TThreadPtr<TSimDaemon>> daemons;
    std::shared_ptr<TSimBehaviour> monitor;
    std::vector<std::shared_ptr<vx::httpservice::TThreadCounter>> counters;
    for (const auto& service : SimulatedServices()) {
        if (options.Services.count(service.OptionName) == 0) {
            continue;
        }
        auto behaviour = std::make_shared<TSimBehaviour>();
        behaviour->ServiceName = service.ServiceName;
        behaviour->Corrupt = options.Corrupt.count(service.OptionName) > 0;
        behaviour->Hang = options.Hang.count(service.OptionName) > 0;
        behaviour->IsMonitor = service.Port == vx::health::MonitorServicePort;
        behaviour->Monitor404 = options.Monitor404;
        behaviour->MonitorReply = options.MonitorReply;
        behaviour->OnMonitorLine = PrintLine;
        if (behaviour->IsMonitor) {
            monitor = behaviour;
        }
        daemons.push_back(vx::StartThread<TSimDaemon>(service.Port, behaviour));
        counters.push_back(daemons.back()->RequestThreads());
    }

    // A daemon whose port is taken stops on its own at once.
    std::this_thread::sleep_for(StartupGrace);
    int exitCode = 0;
    for (std::size_t i = 0; i < daemons.size(); ++i) {
        if (daemons[i]->Finished()) {
            PrintLine("error: port " + daemons[i]->Port() + " is in use");
            exitCode = 1;
        }
    }
    if (exitCode == 0) {
        for (const auto& daemon : daemons) {
            PrintLine("listening on 127.0.0.1:" + daemon->Port());
        }
        sigset_t stop;
        sigemptyset(&stop);
        sigaddset(&stop, SIGINT);
        sigaddset(&stop, SIGTERM);
        const long period = options.RaiseSeconds > 0 ? options.RaiseSeconds : 3600;
        const timespec wait{period, 0};
        std::size_t raised = 0;
        while (sigtimedwait(&stop, nullptr, &wait) < 0) {
            // With Live Protection off the monitor intercepts nothing, so it raises nothing.
            if (options.RaiseSeconds > 0 && (!monitor || monitor->LiveProtection)) {
                RaiseSample(raised++);
            }
        }
        PrintLine("stopping");
    }
    daemons.clear(); // stops each loop and lets hanging connections go
    for (const auto& counter : counters) {
        counter->WaitBelow(1, RequestDrain);
    }
    return exitCode;
}

} // namespace

int main(int argc, char** argv) {
    // Blocked before any thread starts, so every thread inherits it and main takes them.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        const TSimOptions options =
            ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.Help) {
            std::cout << SimUsageText();
            return 0;
        }
        if (options.AddQuery) {
            return SendOneAdd(*options.AddQuery);
        }
        InitMachineKeyFromPrefix();
        return RunServices(options);
    } catch (const EUsage& error) {
        std::cerr << ErrorStart << error.what() << "\n" << UsageHint << "\n";
    } catch (const std::exception& error) {
        std::cerr << ErrorStart << error.what() << "\n";
    }
    return 2;
}
