// suite-sim: the suite's update, firewall, scanner and monitor services, for demos and tests.
#include "decisions/MonitorPeer.h"
#include "httpservice/MachineKey.h"
#include "platform/Machine.h"
#include "suite-sim/SampleDecisions.h"
#include "suite-sim/SimOptions.h"
#include "suite-sim/SimServices.h"

#include <chrono>
#include <csignal>
#include <iostream>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace vx::suitesim;

constexpr const char* const UsageHint = "Type \"suite-sim --help\" for usage.";
constexpr auto StartupGrace = std::chrono::milliseconds(300);
constexpr auto RequestDrain = std::chrono::seconds(6);

std::mutex OutputLock;

void PrintLine(const std::string& Line) {
    std::lock_guard Guard(OutputLock);
    std::cout << Line << std::endl;
}

// The prefix's registry gives the machine key, as the tray reads it.
void InitMachineKeyFromPrefix() {
    vx::win::OpenMachine();
    vx::httpservice::InitMachineKey();
}

int SendOneAdd(const std::string& Query) {
    std::string Reply;
    const bool Taken = SendAddToTray(Query, Reply);
    PrintLine(Reply);
    return Taken ? 0 : 1;
}

void RaiseSample(std::size_t Number) {
    std::string Reply;
    if (SendAddToTray(vx::decisions::AddQuery(SampleDecision(Number)), Reply)) {
        PrintLine("raised " + Reply.substr(0, Reply.find("\r\n")));
    } else {
        PrintLine("raise failed: " + (Reply.empty() ? std::string("not accepted") : Reply));
    }
}

int RunServices(const TSimOptions& Options) {
    std::vector<vx::TThreadPtr<TSimDaemon>> Daemons;
    std::vector<std::shared_ptr<vx::httpservice::TThreadCounter>> Counters;
    for (const auto& Service : SimulatedServices()) {
        if (Options.Services.count(Service.OptionName) == 0) {
            continue;
        }
        auto Behaviour = std::make_shared<TSimBehaviour>();
        Behaviour->ServiceName = Service.ServiceName;
        Behaviour->Corrupt = Options.Corrupt.count(Service.OptionName) > 0;
        Behaviour->Hang = Options.Hang.count(Service.OptionName) > 0;
        Behaviour->IsMonitor = Service.Port == vx::health::MonitorServicePort;
        Behaviour->Monitor404 = Options.Monitor404;
        Behaviour->MonitorReply = Options.MonitorReply;
        Behaviour->OnVerdict = PrintLine;
        Daemons.push_back(vx::StartThread<TSimDaemon>(Service.Port, Behaviour));
        Counters.push_back(Daemons.back()->RequestThreads());
    }

    // A daemon whose port is taken stops on its own at once.
    std::this_thread::sleep_for(StartupGrace);
    int ExitCode = 0;
    for (std::size_t I = 0; I < Daemons.size(); ++I) {
        if (Daemons[I]->Finished()) {
            PrintLine("error: port " + Daemons[I]->Port() + " is in use");
            ExitCode = 1;
        }
    }
    if (ExitCode == 0) {
        for (const auto& Daemon : Daemons) {
            PrintLine("listening on 127.0.0.1:" + Daemon->Port());
        }
        sigset_t Stop;
        sigemptyset(&Stop);
        sigaddset(&Stop, SIGINT);
        sigaddset(&Stop, SIGTERM);
        const long Period = Options.RaiseSeconds > 0 ? Options.RaiseSeconds : 3600;
        const timespec Wait{Period, 0};
        std::size_t Raised = 0;
        while (sigtimedwait(&Stop, nullptr, &Wait) < 0) {
            if (Options.RaiseSeconds > 0) {
                RaiseSample(Raised++);
            }
        }
        PrintLine("stopping");
    }
    Daemons.clear(); // stops each loop and lets hanging connections go
    for (const auto& Counter : Counters) {
        Counter->WaitBelow(1, RequestDrain);
    }
    return ExitCode;
}

} // namespace

int main(int argc, char** argv) {
    // Blocked before any thread starts, so every thread inherits it and main takes them.
    sigset_t Stop;
    sigemptyset(&Stop);
    sigaddset(&Stop, SIGINT);
    sigaddset(&Stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &Stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        const TSimOptions Options =
            ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (Options.Help) {
            std::cout << SimUsageText();
            return 0;
        }
        if (Options.AddQuery) {
            return SendOneAdd(*Options.AddQuery);
        }
        InitMachineKeyFromPrefix();
        return RunServices(Options);
    } catch (const EUsage& Error) {
        std::cerr << "suite-sim: " << Error.what() << "\n" << UsageHint << "\n";
    } catch (const std::exception& Error) {
        std::cerr << "suite-sim: " << Error.what() << "\n";
    }
    return 2;
}
