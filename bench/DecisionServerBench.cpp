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

constexpr std::size_t QueryLimit = 64 * 1024;
constexpr int PendingDecisions = 10000;

// Resident memory of this process in KiB.
long ResidentKiB() {
    std::ifstream Status("/proc/self/status");
    std::string Word;
    while (Status >> Word) {
        if (Word == "VmRSS:") {
            long KiB = 0;
            Status >> KiB;
            return KiB;
        }
    }
    return 0;
}

// Pieces repeated until the text has Size bytes.
std::string Fill(const std::string& Piece, std::size_t Size) {
    std::string Text;
    while (Text.size() < Size) {
        Text += Piece;
    }
    Text.resize(Size);
    return Text;
}

// A monitor's add query, percent-encoded as the monitor sends it.
std::string MonitorQuery(int Number) {
    return AddQuery(
        {"decisiontype=decision", "logclass=changed", "module=Registry",
         "information=A program wants to start with Windows (" + std::to_string(Number) + ")",
         "item=HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater",
         "identifiedas=Adware.Generic", "threatlevel=3", "category=Startup",
         "olddata=", "newdata=\"C:\\Program Files\\Updater\\upd.exe\" /silent"});
}

void DecodeBenchmark(benchmark::State& State, const std::string& Query) {
    for (auto _ : State) {
        benchmark::DoNotOptimize(URLDecode(Query));
    }
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Query.size()));
}

// Monitor queries back to back: a few kinds of escape, mostly plain text.
void BM_URLDecodeMonitorQuery64K(benchmark::State& State) {
    DecodeBenchmark(State, Fill(MonitorQuery(1) + "&", QueryLimit));
}
BENCHMARK(BM_URLDecodeMonitorQuery64K)->Unit(benchmark::kMicrosecond);

// Escapes of every decoded value in both case forms: every pass of the rule has work.
void BM_URLDecodeEveryEscape64K(benchmark::State& State) {
    std::string Piece;
    for (int V = 10; V <= 255; ++V) {
        const std::string Hex = ByteToHex(static_cast<std::uint8_t>(V));
        Piece += "%" + Hex + "%" +
                 std::string{static_cast<char>(std::tolower(Hex[0])),
                             static_cast<char>(std::tolower(Hex[1]))};
    }
    DecodeBenchmark(State, Fill(Piece, QueryLimit));
}
BENCHMARK(BM_URLDecodeEveryEscape64K)->Unit(benchmark::kMicrosecond);

// Escapes that decode into further escapes (%2541 -> %41 -> A).
void BM_URLDecodeCascades64K(benchmark::State& State) {
    DecodeBenchmark(State, Fill("%2541", QueryLimit));
}
BENCHMARK(BM_URLDecodeCascades64K)->Unit(benchmark::kMicrosecond);

class TBenchDecisionDaemon : public TPlimmDecisionDaemon {
public:
    explicit TBenchDecisionDaemon(int Port) : FPort(Port) {}

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
        for (int Try = 0; Try < 500 && FDaemon->ServiceLog()->Entries().empty(); ++Try) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~TBenchService() {
        const auto Threads = FDaemon->RequestThreads();
        FDaemon.reset();
        Threads->WaitBelow(1, std::chrono::seconds(5));
    }

    // The whole body, however long (the client's usual cap is 1 MiB).
    bool Get(const std::string& Path, std::string& Body) const {
        health::TqxInternetHTTP Client;
        Client.SetMaxBodySize(std::int64_t{1} << 30);
        return Client.Get("http://127.0.0.1:" + std::to_string(FPort) + Path, Body);
    }
    int Pending() const { return FDaemon->Decisions().Count(); }

private:
    int FPort;
    TThreadPtr<TBenchDecisionDaemon> FDaemon;
};

std::unique_ptr<TBenchService> ThePendingService;

// Adds PendingDecisions decisions, one "/add" request each; false when one was refused.
bool AddPending(TBenchService& Service) {
    for (int I = 0; I < PendingDecisions; ++I) {
        std::string Reply;
        if (!Service.Get(std::string(AddCommand) + "?" + MonitorQuery(I), Reply) ||
            Reply.rfind("id=", 0) != 0) {
            return false;
        }
    }
    return true;
}

// One iteration: a fresh daemon receives 10,000 adds; the memory they added is reported.
void BM_AddTenThousandDecisions(benchmark::State& State) {
    for (auto _ : State) {
        auto Service = std::make_unique<TBenchService>();
        const long Before = ResidentKiB();
        if (!AddPending(*Service)) {
            State.SkipWithError("an add was refused");
            return;
        }
        State.counters["added_rss_KiB"] = static_cast<double>(ResidentKiB() - Before);
        State.counters["per_add_us"] =
            benchmark::Counter(PendingDecisions, benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
        ThePendingService = std::move(Service);
    }
}
BENCHMARK(BM_AddTenThousandDecisions)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// GET /list with 10,000 pending decisions, the whole body received.
void BM_ListTenThousandDecisions(benchmark::State& State) {
    if (!ThePendingService) {
        ThePendingService = std::make_unique<TBenchService>();
        if (!AddPending(*ThePendingService)) {
            State.SkipWithError("an add was refused");
            return;
        }
    }
    const long Before = ResidentKiB();
    std::size_t Bytes = 0;
    for (auto _ : State) {
        std::string Body;
        if (!ThePendingService->Get("/list", Body) || Body.rfind("[0]\r\n", 0) != 0 ||
            !Body.ends_with("index=" + std::to_string(PendingDecisions - 1) + "\r\n\r\n")) {
            State.SkipWithError("the list was not answered");
            return;
        }
        Bytes = Body.size();
    }
    State.counters["pending"] = ThePendingService->Pending();
    State.counters["body_KiB"] = static_cast<double>(Bytes) / 1024;
    State.counters["rss_growth_KiB"] = static_cast<double>(ResidentKiB() - Before);
    ThePendingService.reset();
}
BENCHMARK(BM_ListTenThousandDecisions)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
