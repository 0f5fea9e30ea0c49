// The decision server for the load script (bench/decision_load.sh): a TPlimmDecisionDaemon
// on 127.0.0.1:<port> until SIGINT or SIGTERM, then the highest number of request threads
// that were alive at once.
#include "LoadService.h"
#include "decisions/DecisionServer.h"

int main(int argc, char** argv) {
    return vx::bench::RunLoadService(argc, argv, [](int port) {
        return vx::StartThread<vx::decisions::TPlimmDecisionDaemon>(
            vx::decisions::MonitorVerdictPort, port);
    });
}
