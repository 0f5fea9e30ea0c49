// A service of our HTTP framework for the load script (bench/http_load.sh): it answers
// "/integrity-local" on 127.0.0.1:<port> until SIGINT or SIGTERM, then prints the highest
// number of request threads that were alive at once.
#include "LoadService.h"
#include "httpservice/DaemonThread.h"
#include "httpservice/InstanceThread.h"

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
    return vx::bench::RunLoadService(argc, argv,
                                     [](int port) { return vx::StartThread<TLoadDaemon>(port); });
}
