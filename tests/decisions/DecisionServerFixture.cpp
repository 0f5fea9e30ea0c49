#include "DecisionServerFixture.h"

#include "support/LoopbackPort.h"

namespace vx::decisions::test {
namespace {

constexpr const char* TestMachineKey = "00331-10000-00001-AA742";
constexpr const char* LineEnd = "\r\n";

} // namespace

bool TReply::HasHeader(const std::string& line) const {
    for (const auto& header : Headers) {
        if (header == line) {
            return true;
        }
    }
    return false;
}

TReply ParseReply(const std::string& raw, bool withHeaders) {
    TReply reply;
    auto end = raw.find(LineEnd);
    if (end == std::string::npos || raw.rfind("HTTP/1.0 ", 0) != 0) {
        return reply;
    }
    reply.Answered = true;
    reply.Status = std::stoi(raw.substr(9, end - 9));
    std::size_t start = end + 2;
    if (withHeaders) {
        for (;;) {
            end = raw.find(LineEnd, start);
            if (end == std::string::npos) {
                ADD_FAILURE() << "header block not ended: " << raw;
                return reply;
            }
            std::string line = raw.substr(start, end - start);
            start = end + 2;
            if (line.empty()) {
                break;
            }
            reply.Headers.push_back(std::move(line));
        }
    }
    reply.Body = raw.substr(start);
    return reply;
}

std::vector<std::string> BodyLines(const std::string& body) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < body.size()) {
        const auto end = body.find(LineEnd, start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "body does not end with CR LF: " << body.substr(start);
            lines.push_back(body.substr(start));
            break;
        }
        lines.push_back(body.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void DecisionServerFixture::SetUp() {
    UiThread::Attach();
    httpservice::SetMachineKey(TestMachineKey);
    FPort = vx::test::FreeLoopbackPort();
    FDaemon = StartThread<TTestDecisionDaemon>(FPort, FVerdictPort);
    FRequestThreads = FDaemon->RequestThreads();
    FDaemon->SetOnDecisionsChanged([this](TDecisionList& decisions) {
        ++FCalls;
        FCountsSeen.push_back(decisions.Count());
        if (FOnChange) {
            FOnChange(decisions);
        }
    });
    ASSERT_TRUE(WaitFor([&] { return !FDaemon->ServiceLog()->Entries().empty(); }));
    ASSERT_FALSE(FDaemon->Finished()) << "port " << FPort << " could not be bound";
}

void DecisionServerFixture::TearDown() {
    FDaemon.reset();
    EXPECT_TRUE(WaitFor([&] { return FRequestThreads->Count() == 0; }));
    httpservice::ClearMachineKey();
    UiThread::Detach();
}

bool DecisionServerFixture::WaitFor(const std::function<bool()>& done) {
    return vx::test::PumpUntil(done);
}

void DecisionServerFixture::WaitPasses(int count) {
    const int target = FDaemon->Passes + count;
    ASSERT_TRUE(WaitFor([&] { return FDaemon->Passes >= target; }));
}

std::string DecisionServerFixture::AskRaw(const std::string& request) {
    return Pumped([port = FPort, request] { return httpservice::test::Exchange(port, request); });
}

TReply DecisionServerFixture::Ask(const std::string& request) {
    return ParseReply(AskRaw(request));
}

TReply DecisionServerFixture::Add(const std::string& query) {
    return Ask("GET /add?" + query + " HTTP/1.0\r\n\r\n");
}

} // namespace vx::decisions::test
