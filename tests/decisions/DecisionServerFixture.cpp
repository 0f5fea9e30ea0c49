#include "DecisionServerFixture.h"

#include "support/LoopbackPort.h"

namespace vx::decisions::test {
namespace {

constexpr const char* TestMachineKey = "00331-10000-00001-AA742";
constexpr const char* LineEnd = "\r\n";
constexpr auto LongWait = std::chrono::seconds(30);

} // namespace

bool TReply::HasHeader(const std::string& Line) const {
    for (const auto& Header : Headers) {
        if (Header == Line) {
            return true;
        }
    }
    return false;
}

TReply ParseReply(const std::string& Raw, bool WithHeaders) {
    TReply Reply;
    auto End = Raw.find(LineEnd);
    if (End == std::string::npos || Raw.rfind("HTTP/1.0 ", 0) != 0) {
        return Reply;
    }
    Reply.Answered = true;
    Reply.Status = std::stoi(Raw.substr(9, End - 9));
    std::size_t Start = End + 2;
    if (WithHeaders) {
        for (;;) {
            End = Raw.find(LineEnd, Start);
            if (End == std::string::npos) {
                ADD_FAILURE() << "header block not ended: " << Raw;
                return Reply;
            }
            std::string Line = Raw.substr(Start, End - Start);
            Start = End + 2;
            if (Line.empty()) {
                break;
            }
            Reply.Headers.push_back(std::move(Line));
        }
    }
    Reply.Body = Raw.substr(Start);
    return Reply;
}

std::vector<std::string> BodyLines(const std::string& Body) {
    std::vector<std::string> Lines;
    std::size_t Start = 0;
    while (Start < Body.size()) {
        const auto End = Body.find(LineEnd, Start);
        if (End == std::string::npos) {
            ADD_FAILURE() << "body does not end with CR LF: " << Body.substr(Start);
            Lines.push_back(Body.substr(Start));
            break;
        }
        Lines.push_back(Body.substr(Start, End - Start));
        Start = End + 2;
    }
    return Lines;
}

void DecisionServerFixture::SetUp() {
    UiThread::Attach();
    httpservice::SetMachineKey(TestMachineKey);
    FPort = vx::test::FreeLoopbackPort();
    FDaemon = StartThread<TTestDecisionDaemon>(FPort, FVerdictPort);
    FRequestThreads = FDaemon->RequestThreads();
    FDaemon->SetOnDecisionsChanged([this](TDecisionList& Decisions) {
        ++FCalls;
        FCountsSeen.push_back(Decisions.Count());
        if (FOnChange) {
            FOnChange(Decisions);
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

bool DecisionServerFixture::WaitFor(const std::function<bool()>& Done) {
    return UiThread::PumpUntil(Done, LongWait);
}

void DecisionServerFixture::WaitPasses(int Count) {
    const int Target = FDaemon->Passes + Count;
    ASSERT_TRUE(WaitFor([&] { return FDaemon->Passes >= Target; }));
}

std::string DecisionServerFixture::AskRaw(const std::string& Request) {
    return Pumped([Port = FPort, Request] { return httpservice::test::Exchange(Port, Request); });
}

TReply DecisionServerFixture::Ask(const std::string& Request) {
    return ParseReply(AskRaw(Request));
}

TReply DecisionServerFixture::Add(const std::string& Query) {
    return Ask("GET /add?" + Query + " HTTP/1.0\r\n\r\n");
}

} // namespace vx::decisions::test
