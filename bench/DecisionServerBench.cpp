// URL decoding of a query at the request-line limit, and the decision server holding 10,000
// pending decisions: adding them over loopback, listing them, and the memory they take.
#include "decisions/DecisionServer.h"
#include "decisions/MonitorPeer.h"
#include "decisions/URLCommand.h"
#include "health/HttpClient.h"
#include "platform/WorkerThread.h"
#include "support/LoopbackPort.h"

#include <arpa/inet.h>
#include <chrono>
#include <fstream>
#include <memory>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include <benchmark/benchmark.h>

namespace {

using namespace vx;
using namespace vx::decisions;

constexpr std::size_t QueryLimit = std::size_t{64} * 1024;
constexpr int PendingDecisions = 10000;

// Resident memory of this process in KiB.
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long kiB = 0;
            status >> kiB;
            return kiB;
        }
    }
    return 0;
}

// Pieces repeated until the text has `size` bytes.
std::string Fill(const std::string& piece, std::size_t size) {
    std::string text;
    while (text.size() < size) {
        text += piece;
    }
    text.resize(size);
    return text;
}

// A monitor's add query, percent-encoded as the monitor sends it.
std::string MonitorQuery(int number) {
    return AddQuery(
        {"decisiontype=decision", "logclass=changed", "module=Registry",
         "information=A program wants to start with Windows (" + std::to_string(number) + ")",
         "item=HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater",
         "identifiedas=Adware.Generic", "threatlevel=3", "category=Startup",
         "olddata=", "newdata=\"C:\\Program Files\\Updater\\upd.exe\" /silent"});
}

void DecodeBenchmark(benchmark::State& state, const std::string& query) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(URLDecode(query));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * query.size()));
}

// Monitor queries back to back: a few kinds of escape, mostly plain text.
void BM_URLDecodeMonitorQuery64K(benchmark::State& state) {
    DecodeBenchmark(state, Fill(MonitorQuery(1) + "&", QueryLimit));
}
BENCHMARK(BM_URLDecodeMonitorQuery64K)->Unit(benchmark::kMicrosecond);

// Escapes of every decoded value in both case forms: every pass of the rule has work.
void BM_URLDecodeEveryEscape64K(benchmark::State& state) {
    std::string piece;
    for (int v = 10; v <= 255; ++v) {
        const std::string hex = ByteToHex(static_cast<std::uint8_t>(v));
        piece += "%" + hex + "%" +
                 std::string{static_cast<char>(std::tolower(hex[0])),
                             static_cast<char>(std::tolower(hex[1]))};
    }
    DecodeBenchmark(state, Fill(piece, QueryLimit));
}
BENCHMARK(BM_URLDecodeEveryEscape64K)->Unit(benchmark::kMicrosecond);

// Escapes that decode into further escapes (%2541 -> %41 -> A).
void BM_URLDecodeCascades64K(benchmark::State& state) {
    DecodeBenchmark(state, Fill("%2541", QueryLimit));
}
BENCHMARK(BM_URLDecodeCascades64K)->Unit(benchmark::kMicrosecond);

class TBenchDecisionDaemon : public TPlimmDecisionDaemon {
public:
    explicit TBenchDecisionDaemon(int port) : FPort(port) {}

protected:
    int DefaultPort() const override { return FPort; }

private:
    int FPort;
};

// A decision daemon on a free port; without a user-interface thread its notifications run
// at once and no owner is told.
class TBenchService {
public:
    TBenchService()
        : FPort(vx::test::FreeLoopbackPort()), FDaemon(StartThread<TBenchDecisionDaemon>(FPort)) {
        for (int attempt = 0; attempt < 500 && FDaemon->ServiceLog()->Entries().empty();
             ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~TBenchService() {
        const auto threads = FDaemon->RequestThreads();
        FDaemon.reset();
        threads->WaitBelow(1, std::chrono::seconds(5));
    }

    // The whole body, however long (the client's usual cap is 1 MiB).
    bool Get(const std::string& path, std::string& body) const {
        health::TqxInternetHTTP client;
        client.SetMaxBodySize(std::int64_t{1} << 30);
        return client.Get("http://127.0.0.1:" + std::to_string(FPort) + path, body);
    }
    int Pending() const { return FDaemon->Decisions().Count(); }

private:
    int FPort;
    TThreadPtr<TBenchDecisionDaemon> FDaemon;
};

std::unique_ptr<TBenchService> ThePendingService;

// Adds PendingDecisions decisions, one "/add" request each; false when one was refused.
bool AddPending(TBenchService& service) {
    for (int i = 0; i < PendingDecisions; ++i) {
        std::string reply;
        if (!service.Get(std::string(AddCommand) + "?" + MonitorQuery(i), reply) ||
            reply.rfind("id=", 0) != 0) {
            return false;
        }
    }
    return true;
}

// One iteration: a fresh daemon receives 10,000 adds; the memory they added is reported.
void BM_AddTenThousandDecisions(benchmark::State& state) {
    for (auto _ : state) {
        auto service = std::make_unique<TBenchService>();
        const long before = ResidentKiB();
        if (!AddPending(*service)) {
            state.SkipWithError("an add was refused");
            return;
        }
        state.counters["added_rss_KiB"] = static_cast<double>(ResidentKiB() - before);
        state.counters["per_add_us"] =
            benchmark::Counter(PendingDecisions, benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
        ThePendingService = std::move(service);
    }
}
BENCHMARK(BM_AddTenThousandDecisions)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// GET /list with 10,000 pending decisions, the whole body received.
void BM_ListTenThousandDecisions(benchmark::State& state) {
    if (!ThePendingService) {
        ThePendingService = std::make_unique<TBenchService>();
        if (!AddPending(*ThePendingService)) {
            state.SkipWithError("an add was refused");
            return;
        }
    }
    const long before = ResidentKiB();
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string body;
        if (!ThePendingService->Get("/list", body) || body.rfind("[0]\r\n", 0) != 0 ||
            !body.ends_with("index=" + std::to_string(PendingDecisions - 1) + "\r\n\r\n")) {
            state.SkipWithError("the list was not answered");
            return;
        }
        bytes = body.size();
    }
    state.counters["pending"] = ThePendingService->Pending();
    state.counters["body_KiB"] = static_cast<double>(bytes) / 1024;
    state.counters["rss_growth_KiB"] = static_cast<double>(ResidentKiB() - before);
    ThePendingService.reset();
}
BENCHMARK(BM_ListTenThousandDecisions)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
