#include "ServiceFixture.h"
#include "httpservice/IntegrityToken.h"
#include "support/CaseName.h"

#include <regex>
#include <thread>

namespace vx::httpservice::test {
namespace {

using namespace std::chrono_literals;

const std::regex DateLine(
    R"(Date: (Sun|Mon|Tue|Wed|Thu|Fri|Sat), [1-9][0-9]? (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-9]{4} [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [+-][0-9]{4})");

// A response with headers: the status line, the lines before "Date: ", the date line, and
// what follows it.
struct TResponse {
    std::string Head;
    std::string Date;
    std::string Tail;
};

TResponse Split(const std::string& response) {
    const auto date = response.find("Date: ");
    if (date == std::string::npos) {
        return {response, {}, {}};
    }
    const auto end = response.find("\r\n", date);
    return {response.substr(0, date), response.substr(date, end - date), response.substr(end)};
}

std::string Answer(const std::string& status, const std::string& ownHeaders,
                   const std::string& body) {
    return "HTTP/1.0 " + status + "\r\n" + ownHeaders +
           "Content-length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n";
}

std::string AfterDate(const std::string& body) {
    return "\r\nServer: Korvex Thornet 2.0\r\n\r\n" + body;
}

using RequestTest = ServiceFixture;

TEST_F(RequestTest, IntegrityLocalAnswersTheTokenWithHeaderLinesInOrder) {
    const std::string token = IntegrityToken("VXTray");
    const auto r = Split(Ask("GET /integrity-local HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(r.Head, Answer("200", "Content-type: text/plain\r\n", token));
    EXPECT_TRUE(std::regex_match(r.Date, DateLine)) << r.Date;
    EXPECT_EQ(r.Tail, AfterDate(token));
    EXPECT_EQ(token, "39076c565d29d768c7b556c26b07237761d25f06");
}

TEST_F(RequestTest, BuiltInPathsIgnoreTheMethodAndSurroundingControls) {
    for (const char* request : {"GET /log HTTP/1.0\r\n\r\n", "POST /log HTTP/1.0\r\n\r\n",
                                "DELETE \x01/log\t HTTP/1.1\r\nHost: x\r\n\r\n"}) {
        const auto r = Split(Ask(request));
        EXPECT_EQ(r.Head, Answer("200", "Content-type: text/plain\r\n", "")) << request;
        EXPECT_EQ(r.Tail, AfterDate("")) << request;
    }
    EXPECT_TRUE(FBehaviour->Seen.empty());
}

TEST_F(RequestTest, AHandlerErrorGives500WithThePartialBodyAndALogLine) {
    const auto r = Split(Ask("GET /fail?x=1 HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(r.Head, Answer("500", "X-Partial: yes\r\n", "partial"));
    EXPECT_EQ(r.Tail, AfterDate("partial"));

    const auto lines = FDaemon->ServiceLog()->Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(std::regex_match(
        lines[0], std::regex(R"(\[\d{4}-\d{2}-\d{2} \d{2}.\d{2}.\d{2}\] )"
                             R"(Processing request /fail\?x=1 failed \(reason: handler broke\))")))
        << lines[0];

    // "/log" without a protocol: the status line, then the line log, nothing between.
    EXPECT_EQ(Ask("GET /log\r\n"), "HTTP/1.0 200\r\n" + lines[0] + "\r\n");
}

TEST_F(RequestTest, OtherPathsReachTheHandlerAsReceived) {
    struct TCase {
        const char* Request;
        const char* Seen;
    };
    const TCase cases[] = {
        {"GET /log?x HTTP/1.0\r\n\r\n", "GET|/log?x|127.0.0.1|"},
        {"GET /LOG HTTP/1.0\r\n\r\n", "GET|/LOG|127.0.0.1|"},
        {"GET /Integrity-Local HTTP/1.0\r\n\r\n", "GET|/Integrity-Local|127.0.0.1|"},
        {"put   /a%20b   HTTP/1.0  extra\r\n\r\n", "put|/a%20b|127.0.0.1|"},
    };
    for (const auto& c : cases) {
        const auto r = Split(Ask(c.Request));
        EXPECT_EQ(r.Head, Answer("201", "X-Test: 1\r\n", c.Seen)) << c.Request;
        EXPECT_EQ(r.Tail, AfterDate(c.Seen)) << c.Request;
    }
    EXPECT_EQ(Ask("GET /plain\r\n"), "HTTP/1.0 201\r\nGET|/plain|127.0.0.1|");
}

TEST_F(RequestTest, TheBodyFollowsContentLengthAndTheLastLengthLineWins) {
    struct TCase {
        const char* Headers;
        const char* Body;
        const char* Seen;
    };
    const TCase cases[] = {
        {"Content-Length: 5\r\n", "hello", "POST|/b|127.0.0.1|hello"},
        {"content-length: 3\r\nCONTENT-LENGTH: 5\r\n", "hello", "POST|/b|127.0.0.1|hello"},
        {"Content-Length: 5\r\nContent-Length: 2\r\n", "hello", "POST|/b|127.0.0.1|he"},
        {"Content-Length: 0\r\n", "", "POST|/b|127.0.0.1|"},
        // No blank after the colon, a word, a trailing letter, a negative length: no body.
        {"Content-Length:5\r\n", "hello", "POST|/b|127.0.0.1|"},
        {"Content-Length: five\r\n", "hello", "POST|/b|127.0.0.1|"},
        {"Content-Length: 5x\r\n", "hello", "POST|/b|127.0.0.1|"},
        {"Content-Length: -5\r\n", "hello", "POST|/b|127.0.0.1|"},
        {"Content-Length: 5\r\nContent-Length: bad\r\n", "hello", "POST|/b|127.0.0.1|"},
        // Bytes after the CR LF of the headers, CR and bare LF inside the body are data.
        {"Content-Length: 6\r\n", "a\r\nb\nc", "POST|/b|127.0.0.1|a\r\nb\nc"},
    };
    for (const auto& c : cases) {
        FBehaviour->Seen.clear();
        const std::string request =
            std::string("POST /b HTTP/1.0\r\n") + c.Headers + "\r\n" + c.Body;
        const auto r = Split(Ask(request));
        EXPECT_EQ(r.Tail, AfterDate(c.Seen)) << c.Headers;
    }
}

struct TDropCase {
    const char* Name;
    std::string Request;
    bool CloseAfterSending; // the server only sees the request end when the client closes
};

void PrintTo(const TDropCase& c, std::ostream* os) {
    *os << c.Name;
}

class DropTest : public ServiceFixture, public ::testing::WithParamInterface<TDropCase> {};

TEST_P(DropTest, MalformedOrOversizedRequestsGetNoResponse) {
    const auto& c = GetParam();
    const auto received = Pumped([&] {
        TClient client(FPort);
        client.Send(c.Request);
        if (c.CloseAfterSending) {
            client.ShutdownSend();
        }
        auto all = client.ReadAll();
        return client.TimedOut() ? std::string("<still open>") : all;
    });
    EXPECT_TRUE(received.empty()) << received.substr(0, 100);
    EXPECT_TRUE(FBehaviour->Seen.empty());
    // The service is still there for the next client.
    EXPECT_EQ(Split(Ask("GET /log HTTP/1.0\r\n\r\n")).Tail, AfterDate(""));
}

INSTANTIATE_TEST_SUITE_P(
    Requests, DropTest,
    ::testing::Values(
        TDropCase{"EmptyLine", "\r\n", false}, TDropCase{"OneToken", "GET\r\n", false},
        TDropCase{"BlanksOnly", "    \r\n", false},
        TDropCase{"LeadingBlank", " GET /x HTTP/1.0\r\n\r\n", false},
        TDropCase{"NotHttp", "GET /x FTP/1.0\r\n\r\n", false},
        TDropCase{"LowerCaseProtocol", "GET /x http/1.0\r\n\r\n", false},
        TDropCase{"SilenceAfterAHeader", "GET /x HTTP/1.0\r\nHost: a\r\n", false},
        TDropCase{"SilenceBeforeTheLineEnd", "GET /x HTTP/1.0", false},
        TDropCase{"BareLineFeeds", "GET /x HTTP/1.0\n\n", false},
        TDropCase{"ClosedInTheHeaders", "GET /x HTTP/1.0\r\nHost: a\r\n", true},
        TDropCase{"ShortBody", "POST /x HTTP/1.0\r\nContent-Length: 10\r\n\r\nabc", true},
        TDropCase{"BodyOverTheLimit",
                  "POST /x HTTP/1.0\r\nContent-Length: 10485760\r\n\r\n" + std::string(4096, 'b'),
                  false},
        TDropCase{"RequestLineOverTheLimit",
                  "GET /" + std::string(64 * 1024, 'a') + " HTTP/1.0\r\n\r\n", false},
        TDropCase{"HeaderLineOverTheLimit",
                  "GET /x HTTP/1.0\r\nX: " + std::string(8 * 1024, 'h') + "\r\n\r\n", false},
        TDropCase{"TooManyHeaderLines", "GET /x HTTP/1.0\r\n" + HeaderLines(101) + "\r\n", false}),
    vx::test::CaseName{});

TEST_F(RequestTest, RequestsAtTheLimitsAreServed) {
    const std::string uri = "/" + std::string(64 * 1024 - 20, 'a');
    EXPECT_NE(Ask("GET " + uri + " HTTP/1.0\r\n\r\n").find("HTTP/1.0 201\r\n"), std::string::npos);
    EXPECT_NE(Ask("GET /x HTTP/1.0\r\n" + HeaderLines(100) + "\r\n").find("HTTP/1.0 201\r\n"),
              std::string::npos);
    const std::string body(1024 * 1024, 'z');
    const auto r = Ask("POST /x HTTP/1.0\r\nContent-Length: 1048576\r\n\r\n" + body);
    EXPECT_NE(r.find("Content-length: " +
                     std::to_string(std::string("POST|/x|127.0.0.1|").size() + body.size())),
              std::string::npos);
}

TEST_F(RequestTest, AnIntegrityFailureEndsTheRequestWithoutAResponse) {
    FBehaviour->ServiceName = ""; // an empty name cannot key the XOR
    EXPECT_EQ(Ask("GET /integrity-local HTTP/1.0\r\n\r\n"), "");
}

TEST_F(RequestTest, RequestThreadsOutliveTheirDaemonSafely) {
    // A request still in its handler when the daemon goes.
    FBehaviour->Holding = true;
    TClient held(FPort);
    ASSERT_TRUE(held.Send("GET /hold/fail HTTP/1.0\r\n\r\n"));
    ASSERT_TRUE(WaitFor([&] { return FCounter->Count() == 1; }));
    const auto log = FDaemon->ServiceLog();
    FDaemon.reset();

    const auto answer = Pumped([&] {
        FBehaviour->Holding = false;
        return held.ReadAll();
    });
    EXPECT_EQ(answer.substr(0, 14), "HTTP/1.0 500\r\n");
    ASSERT_EQ(log->Lines().size(), 1u);
    EXPECT_NE(log->Lines()[0].find("Processing request /hold/fail failed"), std::string::npos);
}

} // namespace
} // namespace vx::httpservice::test
