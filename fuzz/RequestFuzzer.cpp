// fuzz_request: the bytes of one connection to the decision service. A request thread reads
// them itself from a socket pair and answers; the request reader is fed the same bytes in two
// pieces and must agree with itself fed them whole.

#include "decisions/DecisionServer.h"
#include "fuzz/Check.h"
#include "httpservice/MachineKey.h"
#include "httpservice/RequestReader.h"
#include "httpservice/ServiceLog.h"
#include "httpservice/ThreadCounter.h"
#include "platform/Exception.h"

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

namespace vx::fuzz {
namespace {

using httpservice::TRequestReader;

constexpr const char* MachineKeyText = "12345-OEM-0000001-00000";
constexpr std::string_view StatusPrefix = "HTTP/1.0 ";
constexpr std::string_view HeaderEnd = "\r\n\r\n";
constexpr std::string_view ContentLengthHeader = "\r\nContent-length: ";
constexpr std::string_view FailingPath = "/fail";
// Every byte of the input is in the socket before the thread starts, so no wait of the thread
// is for data still on its way: a short one keeps a wrong wait from slowing the run much.
constexpr int ReadWaitMs = 50;
// The thread has answered and closed when this runs out; it ends soon after.
constexpr auto ThreadEndWait = std::chrono::seconds(5);
// Inputs beyond this could fill the socket's buffer before the thread reads.
constexpr std::size_t MaxInput = std::size_t{128} * 1024;

// The decision service's request thread, with a short wait for data and one path whose handler
// fails, so that the 500 answer and the line log (through Synchronize, which runs on the caller
// while no UI thread is attached) are reached too.
class TFuzzRequestThread : public decisions::TPlimmDecisionServer {
public:
    TFuzzRequestThread(int socket, std::shared_ptr<httpservice::TServiceLog> daemonLog,
                       std::shared_ptr<decisions::TDecisionHub> hub)
        : TPlimmDecisionServer(socket, std::move(daemonLog), std::move(hub)) {
        FReadWaitMs = ReadWaitMs;
    }

protected:
    int HandleRequest(const std::string& method, const std::string& uri,
                      const std::string& remoteIp) override {
        if (uri.starts_with(FailingPath)) {
            FResponseBody = "partial";
            throw Exception("handler failed on purpose");
        }
        return TPlimmDecisionServer::HandleRequest(method, uri, remoteIp);
    }
};

void SendAll(int handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(handle, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Fail("cannot write the request to the socket pair");
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::string ReceiveUntilEnd(int handle) {
    std::string received;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::recv(handle, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return received;
        }
        received.append(buffer, static_cast<std::size_t>(n));
    }
}

// The answer of a request thread that reads `input` from its connection.
std::string Serve(std::string_view input) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        Fail("no socket pair");
    }
    SendAll(ends[0], input);
    ::shutdown(ends[0], SHUT_WR);

    auto log = std::make_shared<httpservice::TServiceLog>();
    auto hub = std::make_shared<decisions::TDecisionHub>(decisions::MonitorVerdictPort);
    hub->SetOnDecisionsChanged([](decisions::TDecisionList& decisions) {
        if (decisions.Count() == 0) {
            Fail("told of a change while no decision is pending");
        }
    });
    auto counter = std::make_shared<httpservice::TThreadCounter>();
    auto* thread = new TFuzzRequestThread(ends[1], log, hub);
    thread->BindDaemon([log](char level, const std::string& source, const std::string& uri,
                             const std::string& message) { log->Log(level, source, uri, message); },
                       [log](const std::string& text) { log->AddLogLine(text); }, counter);
    try {
        thread->Start();
    } catch (const std::exception&) {
        delete thread; // not started: still ours
        ::close(ends[0]);
        Fail("cannot start the request thread");
    }
    std::string response = ReceiveUntilEnd(ends[0]);
    ::close(ends[0]);
    // The next input must not meet this thread still running.
    if (!counter->WaitBelow(1, ThreadEndWait)) {
        Fail("the request thread did not end after closing its connection");
    }
    return response;
}

bool SameRequest(const httpservice::THttpRequest& a, const httpservice::THttpRequest& b) {
    return a.Method == b.Method && a.Uri == b.Uri && a.Protocol == b.Protocol && a.Body == b.Body;
}

// Feeds `input` whole and in two pieces; both must come to the same state and request, before
// and after the end of the input. Returns the state after the end.
TRequestReader::TState CheckReaderInPieces(std::string_view input) {
    // The split point comes from the last two bytes, which the fuzzer mutates like any others.
    std::size_t split = 0;
    if (input.size() >= 2) {
        const auto high = static_cast<unsigned char>(input[input.size() - 2]);
        const auto low = static_cast<unsigned char>(input[input.size() - 1]);
        split = ((std::size_t{high} << 8) | low) % (input.size() + 1);
    }
    TRequestReader whole;
    whole.Feed(input);
    TRequestReader pieces;
    pieces.Feed(input.substr(0, split));
    pieces.Feed(input.substr(split));
    if (whole.State() != pieces.State()) {
        Fail("the reader's state depends on where the input was split");
    }
    whole.End();
    pieces.End();
    if (whole.State() != pieces.State()) {
        Fail("the reader's state at the end depends on where the input was split");
    }
    if (whole.State() == TRequestReader::TState::Complete &&
        !SameRequest(whole.Request(), pieces.Request())) {
        Fail("the request read depends on where the input was split");
    }
    return whole.State();
}

// A response with header lines must announce its body's length exactly.
void CheckFraming(const std::string& response) {
    const auto headerEnd = response.find(HeaderEnd);
    if (headerEnd == std::string::npos) {
        Fail("a response to a request with a protocol has no end of its header lines");
    }
    const auto lengthAt = response.find(ContentLengthHeader);
    if (lengthAt == std::string::npos || lengthAt > headerEnd) {
        Fail("a response to a request with a protocol has no Content-length");
    }
    const std::size_t digits = lengthAt + ContentLengthHeader.size();
    const std::string announced = response.substr(digits, response.find('\r', digits) - digits);
    const std::size_t body = response.size() - headerEnd - HeaderEnd.size();
    if (announced != std::to_string(body)) {
        Fail("Content-length " + announced + " for a body of " + std::to_string(body) + " bytes");
    }
}

} // namespace
} // namespace vx::fuzz

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    vx::httpservice::SetMachineKey(vx::fuzz::MachineKeyText);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx::fuzz;
    if (size > MaxInput) {
        return -1; // not added to the corpus
    }
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto state = CheckReaderInPieces(input);
    const std::string response = Serve(input);
    if (state != TRequestReader::TState::Complete) {
        if (!response.empty()) {
            Fail("an answer to a request that is not complete");
        }
        return 0;
    }
    if (!response.starts_with(StatusPrefix)) {
        Fail("the answer to a complete request does not begin with \"HTTP/1.0 \"");
    }
    TRequestReader reader;
    reader.Feed(input);
    if (!reader.Request().Protocol.empty()) {
        CheckFraming(response);
    }
    return 0;
}
