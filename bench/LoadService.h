#pragma once

#include "httpservice/MachineKey.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>

namespace vx::bench {

// The main() of the services the load scripts start: runs the daemon that `start(port)`
// starts, on the port the command line gives, until SIGINT or SIGTERM, then prints the
// highest number of request threads that were alive at once.
template <class Start>
int RunLoadService(int argc, char** argv, Start start) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PORT\n", argv[0]);
        return 2;
    }
    // The signals are taken with sigwait on this thread; every thread started later inherits
    // the blocked mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    httpservice::SetMachineKey("12345-OEM-0000001-00000");
    auto daemon = start(std::atoi(argv[1]));
    int signal = 0;
    sigwait(&stopSignals, &signal);
    const auto threads = daemon->RequestThreads();
    daemon.reset();
    std::printf("peak_request_threads=%d\n", threads->Peak());
    return 0;
}

} // namespace vx::bench
