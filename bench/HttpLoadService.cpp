// A service of our HTTP framework for the load script (bench/http_load.sh): it answers
// "/integrity-local" on 127.0.0.1:<port> until SIGINT or SIGTERM, then prints the highest
// number of request threads that were alive at once.
#include "httpservice/DaemonThread.h"
#include "httpservice/InstanceThread.h"
#include "httpservice/MachineKey.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace vx;
using namespace vx::httpservice;

class TLoadRequestThread : public TCustomHTTPInstanceThread {
public:
    using TCustomHTTPInstanceThread::TCustomHTTPInstanceThread;

protected:
    std::string ServiceName() const override { return "VXTray"; }
    int HandleRequest(const std::string&, const std::string&, const std::string&) override {
        return 404;
    }
};

class TLoadDaemon : public TCustomHTTPDaemonThread {
public:
    explicit TLoadDaemon(int port) : FLoadPort(port) {}

protected:
    int DefaultPort() const override { return FLoadPort; }
    TRequestThreadClass RequestThreadClass() const override {
        return RequestThreadClassOf<TLoadRequestThread>();
    }

private:
    int FLoadPort;
};

} // namespace

int main(int argc, char** argv) {
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

    SetMachineKey("12345-OEM-0000001-00000");
    auto daemon = StartThread<TLoadDaemon>(std::atoi(argv[1]));
    int signal = 0;
    sigwait(&stopSignals, &signal);
    const auto threads = daemon->RequestThreads();
    daemon.reset();
    std::printf("peak_request_threads=%d\n", threads->Peak());
    return 0;
}
