#include "health/HttpClient.h"

#include "health/InternetErrors.h"
#include "support/LoopbackPort.h"
#include "support/TestPeer.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::health {
namespace {

using test::TTestPeer;
using namespace std::chrono_literals;

std::string LocalUrl(int port, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

std::string RequestLine(const std::string& head) {
    return head.substr(0, head.find("\r\n"));
}

// The URL is split into host and path, whatever the scheme, and the path goes out as given.
TEST(HttpClientUrl, SplitsHostPortAndPath) {
    struct TCase {
        std::string Scheme;
        std::string PathPart;
        std::string ExpectedLine;
    } cases[] = {
        {"http://", "/integrity-local", "GET /integrity-local HTTP/1.1"},
        {"http://", "", "GET / HTTP/1.1"},
        {"ftp://", "/x?a=b&c=d", "GET /x?a=b&c=d HTTP/1.1"},
        {"http://", "/applydecision?decisionid=7&decision=allow",
         "GET /applydecision?decisionid=7&decision=allow HTTP/1.1"},
        {"http://", "/a/../b", "GET /a/../b HTTP/1.1"},
        // Bytes that would break the request line travel escaped.
        {"http://", "/a b?c d", "GET /a%20b?c%20d HTTP/1.1"},
        {"http://", "/x\r\nInjected: 1", "GET /x%0d%0aInjected:%201 HTTP/1.1"},
    };
    TTestPeer peer(TTestPeer::Reply(200, "ok"));
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.ExpectedLine);
        std::string body;
        std::int32_t error = -1;
        const std::string url =
            testCase.Scheme + "127.0.0.1:" + std::to_string(peer.Port()) + testCase.PathPart;
        EXPECT_TRUE(HttpGetToString(url, body, error));
        EXPECT_EQ(error, 0);
        EXPECT_EQ(body, "ok");
        ASSERT_FALSE(peer.Requests().empty());
        EXPECT_EQ(RequestLine(peer.Requests().back()), testCase.ExpectedLine);
    }
}

TEST(HttpClientUrl, SendsOnlyTheLibraryHeadersAndOurAgent) {
    TTestPeer peer;
    std::string body;
    std::int32_t error = 0;
    ASSERT_TRUE(HttpGetToString(LocalUrl(peer.Port(), "/x"), body, error));
    const std::string head = peer.Requests().at(0);
    EXPECT_NE(head.find("\r\nHost: 127.0.0.1:" + std::to_string(peer.Port()) + "\r\n"),
              std::string::npos);
    EXPECT_NE(head.find("\r\nUser-Agent: qelWinAPIWinINet\r\n"), std::string::npos);
    EXPECT_EQ(head.find("Accept"), std::string::npos);
}

TEST(HttpClientUrl, SplitHostPortTakesDecimalPortOr80) {
    struct TCase {
        std::string Host;
        std::string Name;
        int Port;
    } cases[] = {
        {"127.0.0.1:21322", "127.0.0.1", 21322},
        {"127.0.0.1", "127.0.0.1", 80},
        {"127.0.0.1:abc", "127.0.0.1", 80},
        {"127.0.0.1:", "127.0.0.1", 80},
        {"127.0.0.1:12x", "127.0.0.1", 80},
        {"127.0.0.1:1:2", "127.0.0.1", 80},
        {"127.0.0.1:+8080", "127.0.0.1", 8080},
        {"127.0.0.1:99999999999", "127.0.0.1", 80},
        {"127.0.0.1:0", "127.0.0.1", 80},
        {"localhost:-1", "localhost", -1},
        {":8080", "", 8080},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Host);
        std::string name;
        int port = 0;
        SplitHostPort(testCase.Host, name, port);
        EXPECT_EQ(name, testCase.Name);
        EXPECT_EQ(port, testCase.Port);
    }
}

TEST(HttpClientUrl, UrlWithoutSchemeSendsNothing) {
    TTestPeer peer;
    std::string body = "stale";
    std::int32_t error = 0;
    EXPECT_FALSE(HttpGetToString("127.0.0.1:" + std::to_string(peer.Port()) + "/x", body, error));
    EXPECT_EQ(error, ErrorNoScheme);
    EXPECT_EQ(body, "");
    EXPECT_EQ(peer.Connections(), 0);
    EXPECT_EQ(InternetErrorText(error), "1: Incorrect function.\r\n");
}

TEST(HttpClientUrl, BuildHttpUrlAddsOneSlash) {
    struct TCase {
        std::string Path;
        std::string Expected;
    } cases[] = {
        {"applydecision", "http://127.0.0.1:21325/applydecision"},
        {"/applydecision", "http://127.0.0.1:21325/applydecision"},
        {"", "http://127.0.0.1:21325/"},
        {"/a?b=c", "http://127.0.0.1:21325/a?b=c"},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(BuildHttpURL("127.0.0.1", 21325, testCase.Path), testCase.Expected);
    }
}

// What the peer answers decides the result, the error code, the body and its size. Any head
// that begins as HTTP/1.x does is an answer and succeeds, unless it is a 404.
TEST(HttpClientAnswers, StatusAndBodyFollowTheRules) {
    const std::string huge(3 << 20, 'x');
    struct TCase {
        const char* Name;
        std::string Raw;
        bool Result;
        std::int32_t Error;
        std::string Body;
        std::int64_t TotalSize;
    } const cases[] = {
        {"200 with body", TTestPeer::Reply(200, "token"), true, 0, "token", 5},
        {"200 empty", TTestPeer::Reply(200, ""), true, 0, "", 0},
        {"500 delivers its body", TTestPeer::Reply(500, "oops"), true, 0, "oops", 4},
        {"404 fails unread", TTestPeer::Reply(404, "missing"), false, ErrorNotFound, "", 0},
        {"302 is not followed", "HTTP/1.0 302 X\r\nLocation: /elsewhere\r\n\r\nmoved", true, 0,
         "moved", 0},
        {"status not a number", "HTTP/1.0 abc OK\r\n\r\nbody", true, 0, "body", 0},
        {"length not a number", "HTTP/1.0 200 OK\r\nContent-Length: abc\r\n\r\nbody", true, 0,
         "body", 0},
        {"negative length", "HTTP/1.0 200 OK\r\nContent-Length: -3\r\n\r\nbody", true, 0, "body",
         0},
        {"length ends the body", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nbody", true, 0, "bo",
         2},
        {"the first length counts",
         "HTTP/1.0 200 OK\r\ncontent-length:  3 \r\nContent-Length: 1\r\n\r\nbody", true, 0, "bod",
         3},
        {"no length, body to close", "HTTP/1.1 200 OK\r\n\r\nuntil close", true, 0, "until close",
         0},
        {"closed mid-body", "HTTP/1.0 200 X\r\nContent-Length: 100\r\n\r\npartial", true, 0,
         "partial", 100},
        {"body past the size limit", TTestPeer::Reply(200, huge), true, 0,
         huge.substr(0, DefaultMaxBodySize), 3 << 20},
        {"chunked body",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
         "3;x=y\r\ntok\r\n2\r\nen\r\n0\r\nTrailer: 1\r\n\r\nafter",
         true, 0, "token", 0},
        {"broken chunks end the body",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\ntok\r\nzz\r\nen\r\n", true, 0,
         "tok", 0},
        {"an interim answer first",
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", true, 0,
         "ok", 2},
        {"bare line feeds", "HTTP/1.0 200 OK\nContent-Length: 2\n\nok", true, 0, "ok", 2},
        // Bounds on what a peer can make the client hold: a head of 256 KiB, a chunk line of
        // 4 KiB (here a chunk extension).
        {"a head past its bound",
         "HTTP/1.0 200 OK\r\nX: " + std::string(300 * 1024, 'x') + "\r\n\r\nbody", false,
         ErrorHttpInvalidServerResponse, "", 0},
        {"a chunk line past its bound",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n1;" +
             std::string(5000, 'x') + "\r\nz\r\n0\r\n\r\n",
         true, 0, "ok", 0},
        {"garbage", "garbage\r\n\r\nmore garbage", false, ErrorHttpInvalidServerResponse, "", 0},
        {"closed inside the head", "HTTP/1.0 200 OK\r\nContent-Len", false,
         ErrorHttpInvalidServerResponse, "", 0},
        {"nothing at all", "", false, ErrorHttpInvalidServerResponse, "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTestPeer peer(c.Raw);
        TqxInternetHTTP client;
        std::string body;
        EXPECT_EQ(client.Get(LocalUrl(peer.Port(), "/integrity-local"), body), c.Result);
        EXPECT_EQ(client.LastError(), c.Error);
        EXPECT_EQ(body.size(), c.Body.size());
        EXPECT_TRUE(body == c.Body);
        EXPECT_EQ(client.TotalSize(), c.TotalSize);
    }
}

// The status code is read as a 64-bit decimal number. One that does not read as one counts as
// 0 and is traced with the position of its first bad character; one too long for the query's
// 32-byte buffer is traced as a failed query. Only a 404 fails; every other answer is a success
// with its body.
TEST(HttpClientAnswers, TheStatusQueryTracesWhatItRead) {
    struct TCase {
        const char* Name;
        std::string StatusLine;
        std::string QueryTrace; // empty: the query read a number
        std::string Status;
    } const cases[] = {
        {"three digits", "HTTP/1.0 200 OK", "", "200"},
        {"not a number", "HTTP/1.0 abc OK", "- HttpQueryInfo val error at @1 of >abc<", "0"},
        {"a letter after digits", "HTTP/1.0 20x OK", "- HttpQueryInfo val error at @3 of >20x<",
         "0"},
        {"a sign alone", "HTTP/1.0 - OK", "- HttpQueryInfo val error at @2 of >-<", "0"},
        {"no status", "HTTP/1.0", "- HttpQueryInfo val error at @1 of ><", "0"},
        {"negative", "HTTP/1.0 -5 OK", "", "-5"},
        {"eleven digits", "HTTP/1.0 99999999999 OK", "", "99999999999"},
        {"the highest 64-bit number", "HTTP/1.0 9223372036854775807", "", "9223372036854775807"},
        {"one past it", "HTTP/1.0 9223372036854775808",
         "- HttpQueryInfo val error at @19 of >9223372036854775808<", "0"},
        {"beyond 64 bits", "HTTP/1.0 99999999999999999999 OK",
         "- HttpQueryInfo val error at @19 of >99999999999999999999<", "0"},
        {"too long for the buffer", "HTTP/1.0 " + std::string(32, '2'),
         "- HttpQueryInfo (122: The data area passed to a system call is too small.\r\n)", "0"},
        {"a leading zero on a 404", "HTTP/1.0 0404", "", "404"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTestPeer peer(c.StatusLine + "\r\n\r\nbody");
        TqxInternetHTTP client;
        std::vector<std::string> trace;
        client.OnTrace = [&](const std::string& text) { trace.push_back(text); };
        std::string body;
        const bool found = c.Status != "404";
        EXPECT_EQ(client.Get(LocalUrl(peer.Port(), "/"), body), found);
        EXPECT_EQ(client.LastError(), found ? 0 : ErrorNotFound);
        EXPECT_EQ(body, found ? "body" : "");
        std::vector<std::string> expected;
        if (!c.QueryTrace.empty()) {
            expected.push_back(c.QueryTrace);
        }
        expected.push_back("+ HttpQueryInfo status=" + c.Status);
        EXPECT_EQ(trace, expected);
    }
}

// A peer that keeps the connection open after its answer: the body ends where its length or
// its last chunk says, not at the time-out. The request is cancelled after many polls, so a
// client that waited for the close would fail here rather than pass late.
TEST(HttpClientAnswers, AnAnswerOnAConnectionHeldOpenEndsWithItsBody) {
    struct TCase {
        const char* Name;
        std::string Raw;
        std::string Body;
    } const cases[] = {
        {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\ntoken", "token"},
        {"zero length", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", ""},
        {"chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\ntoken\r\n0\r\n\r\n",
         "token"},
        {"no content", "HTTP/1.1 204 No Content\r\n\r\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTestPeer peer;
        peer.SetHang(c.Raw);
        TqxInternetHTTP client;
        client.SetTimeouts(60s, 60s);
        int asks = 0;
        client.SetCancelled([&] { return ++asks > 200; });
        std::string body;
        EXPECT_TRUE(client.Get(LocalUrl(peer.Port(), "/x"), body));
        EXPECT_EQ(client.LastError(), 0);
        EXPECT_EQ(body, c.Body);
    }
}

TEST(HttpClientFailures, RefusedConnectionIs12029) {
    std::string body = "stale";
    std::int32_t error = 0;
    EXPECT_FALSE(HttpGetToString(LocalUrl(test::FreeLoopbackPort(), "/x"), body, error));
    EXPECT_EQ(error, ErrorInternetCannotConnect);
    EXPECT_EQ(body, "");
    EXPECT_EQ(InternetErrorText(error), "Could not connect to server!");
}

TEST(HttpClientFailures, HostThatCannotBeAServerNameIs12007) {
    for (const char* url : {"http://a b/x", "http://evil@127.0.0.1/x", "http:///x"}) {
        SCOPED_TRACE(url);
        std::string body;
        std::int32_t error = 0;
        EXPECT_FALSE(HttpGetToString(url, body, error));
        EXPECT_EQ(error, ErrorInternetNameNotResolved);
        EXPECT_EQ(InternetErrorText(error), "Could not find server!");
    }
}

TEST(HttpClientFailures, PortOutOfRangeIsAnInvalidUrl) {
    std::string body;
    std::int32_t error = 0;
    EXPECT_FALSE(HttpGetToString("http://127.0.0.1:70000/x", body, error));
    EXPECT_EQ(error, ErrorInternetInvalidUrl);
}

TEST(HttpClientFailures, SilentPeerTimesOut) {
    TTestPeer peer;
    peer.SetHang();
    TqxInternetHTTP client;
    client.SetTimeouts(1000ms, 300ms);
    std::string stream;
    EXPECT_FALSE(client.Get(LocalUrl(peer.Port(), "/x"), stream));
    EXPECT_EQ(client.LastError(), ErrorInternetTimeout);
    EXPECT_EQ(InternetErrorText(client.LastError()), "12002: The operation timed out\r\n");
}

// A request whose thread is told to end gives up at once, not at its time-out, and says so.
TEST(HttpClientFailures, ACancelledRequestEndsAsCancelled) {
    struct TCase {
        const char* Name;
        std::string Prefix; // what the hung peer sends first
        int CancelAfterAsks;
    } const cases[] = {
        {"before_it_starts", "", 0},
        {"waiting_for_the_answer", "", 3},
        {"in_the_middle_of_the_body", "HTTP/1.0 200 X\r\nContent-Length: 10\r\n\r\n12", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTestPeer peer;
        peer.SetHang(c.Prefix);
        TqxInternetHTTP client;
        client.SetTimeouts(60s, 60s); // far beyond any test's patience
        int asks = 0;
        client.SetCancelled([&] { return ++asks > c.CancelAfterAsks; });
        std::string stream;
        EXPECT_FALSE(client.Get(LocalUrl(peer.Port(), "/x"), stream));
        EXPECT_EQ(client.LastError(), ErrorInternetOperationCancelled);
    }
}

TEST(HttpClientFailures, PeerHangingMidBodyDeliversWhatCame) {
    TTestPeer peer;
    peer.SetHang("HTTP/1.0 200 X\r\nContent-Length: 10\r\n\r\n12345");
    TqxInternetHTTP client;
    client.SetTimeouts(1000ms, 300ms);
    std::string stream;
    EXPECT_TRUE(client.Get(LocalUrl(peer.Port(), "/x"), stream));
    EXPECT_EQ(stream, "12345");
    EXPECT_EQ(client.TotalSize(), 10);
    EXPECT_EQ(client.Downloaded(), 5);
}

TEST(HttpClientFailures, ProxyFromEnvironmentIsNotUsedForLoopback) {
    TTestPeer peer(TTestPeer::Reply(200, "direct"));
    const std::string proxy = "http://127.0.0.1:" + std::to_string(test::FreeLoopbackPort());
    ::setenv("http_proxy", proxy.c_str(), 1);
    ::setenv("HTTP_PROXY", proxy.c_str(), 1);
    std::string body;
    std::int32_t error = 0;
    const bool result = HttpGetToString(LocalUrl(peer.Port(), "/x"), body, error);
    ::unsetenv("http_proxy");
    ::unsetenv("HTTP_PROXY");
    EXPECT_TRUE(result);
    EXPECT_EQ(body, "direct");
}

TEST(HttpClientSession, ReportsSizesProgressAndTrace) {
    TTestPeer peer(TTestPeer::Reply(500, std::string(10000, 'b')));
    TqxInternetHTTP client;
    EXPECT_EQ(client.UserAgent(), "qelWinAPIWinINet");
    EXPECT_EQ(client.ChunkSize(), 4096u);
    std::vector<std::string> trace;
    std::vector<int> percents;
    std::int64_t lastDownloaded = -1;
    client.OnTrace = [&](const std::string& text) { trace.push_back(text); };
    client.OnProgress = [&](std::uint8_t percent, std::int64_t downloaded, std::int64_t total) {
        percents.push_back(percent);
        lastDownloaded = downloaded;
        EXPECT_EQ(total, 10000);
    };
    std::string stream = "kept:";
    ASSERT_TRUE(client.Get(LocalUrl(peer.Port(), "/"), stream));
    EXPECT_EQ(stream, "kept:" + std::string(10000, 'b'));
    EXPECT_EQ(client.TotalSize(), 10000);
    EXPECT_EQ(client.Downloaded(), 10000);
    EXPECT_EQ(trace, std::vector<std::string>{"+ HttpQueryInfo status=500"});
    ASSERT_GE(percents.size(), 3u); // at least three chunks and the final call
    EXPECT_EQ(percents.back(), 100);
    EXPECT_EQ(lastDownloaded, 10000);
}

TEST(HttpClientSession, OneSessionServesSeveralRequests) {
    TTestPeer found(TTestPeer::Reply(200, "yes"));
    TTestPeer missing(TTestPeer::Reply(404, ""));
    TqxInternetHTTP client;
    std::string stream;
    EXPECT_FALSE(client.Get(LocalUrl(missing.Port(), "/"), stream));
    EXPECT_EQ(client.LastError(), ErrorNotFound);
    EXPECT_TRUE(client.Get(LocalUrl(found.Port(), "/"), stream));
    EXPECT_EQ(client.LastError(), 0); // reset by each request
    EXPECT_EQ(client.TotalSize(), 3);
    EXPECT_EQ(stream, "yes");
}

TEST(HttpClientSession, ObserverExceptionsReachTheCallerNotTheLibrary) {
    TTestPeer peer(TTestPeer::Reply(200, "body"));
    TqxInternetHTTP client;
    client.OnProgress = [](std::uint8_t, std::int64_t, std::int64_t) {
        throw std::runtime_error("observer failed");
    };
    std::string stream;
    EXPECT_THROW(client.Get(LocalUrl(peer.Port(), "/"), stream), std::runtime_error);
}

TEST(HttpClientErrors, TextsOfTheCodes) {
    struct TTextCase {
        std::int32_t Code;
        std::string Text;
    } texts[] = {
        {ErrorNotFound, "File not found on server!"},
        {ErrorInternetNameNotResolved, "Could not find server!"},
        {ErrorInternetCannotConnect, "Could not connect to server!"},
        {ErrorNoScheme, "1: Incorrect function.\r\n"},
        {ErrorInvalidHandle, "6: The handle is invalid.\r\n"},
        {ErrorInsufficientBuffer, "122: The data area passed to a system call is too small.\r\n"},
        {ErrorInternetTimeout, "12002: The operation timed out\r\n"},
        {ErrorInternetConnectionReset, "12031: The connection with the server was reset\r\n"},
        {ErrorHttpInvalidServerResponse,
         "12152: The server returned an invalid or unrecognized response\r\n"},
        {12345, "Unknown error #12345"},
        {-5, "Unknown error #-5"},
    };
    for (const auto& testCase : texts) {
        EXPECT_EQ(InternetErrorText(testCase.Code), testCase.Text);
    }
}

} // namespace
} // namespace vx::health
