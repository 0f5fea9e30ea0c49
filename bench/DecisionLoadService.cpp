// The decision server for the load script (bench/decision_load.sh): a TPlimmDecisionDaemon
// on 127.0.0.1:<port> until SIGINT or SIGTERM, then the highest number of request threads
// that were alive at once.
#include "decisions/DecisionServer.h"
#include "httpservice/MachineKey.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

class TLoadDecisionDaemon : public vx::decisions::TPlimmDecisionDaemon {
public:
    explicit TLoadDecisionDaemon(int port) : FPort(port) {}

protected:
    int DefaultPort() const override { return FPort; }

private:
    int FPort;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PORT\n", argv[0]);
        return 2;
    }
    // Taken with sigwait on this thread; every thread started later inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    vx::httpservice::SetMachineKey("12345-OEM-0000001-00000");
    auto daemon = vx::StartThread<TLoadDecisionDaemon>(std::atoi(argv[1]));
    int signal = 0;
    sigwait(&stopSignals, &signal);
    const auto threads = daemon->RequestThreads();
    daemon.reset();
    std::printf("peak_request_threads=%d\n", threads->Peak());
    return 0;
}
