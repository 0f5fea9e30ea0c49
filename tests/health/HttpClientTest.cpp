#include "health/HttpClient.h"

#include "health/InternetErrors.h"
#include "support/LoopbackPort.h"
#include "support/TestPeer.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <curl/curl.h>
#include <gtest/gtest.h>

namespace vx::health {
namespace {

using test::TTestPeer;
using namespace std::chrono_literals;

std::string LocalUrl(int Port, const std::string& Path) {
    return "http://127.0.0.1:" + std::to_string(Port) + Path;
}

std::string RequestLine(const std::string& Head) {
    return Head.substr(0, Head.find("\r\n"));
}

// The URL is split into host and path, whatever the scheme, and the path goes out as given.
TEST(HttpClientUrl, SplitsHostPortAndPath) {
    struct TCase {
        std::string Scheme;
        std::string PathPart;
        std::string ExpectedLine;
    } Cases[] = {
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
    TTestPeer Peer(TTestPeer::Reply(200, "ok"));
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.ExpectedLine);
        std::string Body;
        std::int32_t Error = -1;
        const std::string URL =
            Case.Scheme + "127.0.0.1:" + std::to_string(Peer.Port()) + Case.PathPart;
        EXPECT_TRUE(HttpGetToString(URL, Body, Error));
        EXPECT_EQ(Error, 0);
        EXPECT_EQ(Body, "ok");
        ASSERT_FALSE(Peer.Requests().empty());
        EXPECT_EQ(RequestLine(Peer.Requests().back()), Case.ExpectedLine);
    }
}

TEST(HttpClientUrl, SendsOnlyTheLibraryHeadersAndOurAgent) {
    TTestPeer Peer;
    std::string Body;
    std::int32_t Error = 0;
    ASSERT_TRUE(HttpGetToString(LocalUrl(Peer.Port(), "/x"), Body, Error));
    const std::string Head = Peer.Requests().at(0);
    EXPECT_NE(Head.find("\r\nHost: 127.0.0.1:" + std::to_string(Peer.Port()) + "\r\n"),
              std::string::npos);
    EXPECT_NE(Head.find("\r\nUser-Agent: qelWinAPIWinINet\r\n"), std::string::npos);
    EXPECT_EQ(Head.find("Accept"), std::string::npos);
}

TEST(HttpClientUrl, SplitHostPortTakesDecimalPortOr80) {
    struct TCase {
        std::string Host;
        std::string Name;
        int Port;
    } Cases[] = {
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
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Host);
        std::string Name;
        int Port = 0;
        SplitHostPort(Case.Host, Name, Port);
        EXPECT_EQ(Name, Case.Name);
        EXPECT_EQ(Port, Case.Port);
    }
}

TEST(HttpClientUrl, UrlWithoutSchemeSendsNothing) {
    TTestPeer Peer;
    std::string Body = "stale";
    std::int32_t Error = 0;
    EXPECT_FALSE(HttpGetToString("127.0.0.1:" + std::to_string(Peer.Port()) + "/x", Body, Error));
    EXPECT_EQ(Error, ErrorNoScheme);
    EXPECT_EQ(Body, "");
    EXPECT_EQ(Peer.Connections(), 0);
    EXPECT_EQ(InternetErrorText(Error), "1: Incorrect function.\r\n");
}

TEST(HttpClientUrl, BuildHttpUrlAddsOneSlash) {
    struct TCase {
        std::string Path;
        std::string Expected;
    } Cases[] = {
        {"applydecision", "http://127.0.0.1:21325/applydecision"},
        {"/applydecision", "http://127.0.0.1:21325/applydecision"},
        {"", "http://127.0.0.1:21325/"},
        {"/a?b=c", "http://127.0.0.1:21325/a?b=c"},
    };
    for (const auto& Case : Cases) {
        EXPECT_EQ(BuildHttpURL("127.0.0.1", 21325, Case.Path), Case.Expected);
    }
}

// What the peer answers decides the result, the error code and the body.
TEST(HttpClientAnswers, StatusAndBodyFollowTheRules) {
    const std::string Huge(3 << 20, 'x');
    struct TCase {
        const char* Name;
        std::string Raw;
        bool Result;
        std::int32_t Error;
        std::string Body;
    } Cases[] = {
        {"200 with body", TTestPeer::Reply(200, "token"), true, 0, "token"},
        {"200 empty", TTestPeer::Reply(200, ""), true, 0, ""},
        {"500 delivers its body", TTestPeer::Reply(500, "oops"), true, 0, "oops"},
        {"404 fails unread", TTestPeer::Reply(404, "missing"), false, ErrorNotFound, ""},
        {"302 is not followed", "HTTP/1.0 302 X\r\nLocation: /elsewhere\r\n\r\nmoved", true, 0,
         "moved"},
        {"no length, body to close", "HTTP/1.1 200 OK\r\n\r\nuntil close", true, 0, "until close"},
        {"closed mid-body", "HTTP/1.0 200 X\r\nContent-Length: 100\r\n\r\npartial", true, 0,
         "partial"},
        {"body past the size limit", TTestPeer::Reply(200, Huge), true, 0,
         Huge.substr(0, DefaultMaxBodySize)},
        {"garbage", "garbage\r\n\r\nmore garbage", false, ErrorHttpInvalidServerResponse, ""},
        {"status not a number", "HTTP/1.0 abc OK\r\n\r\nbody", false,
         ErrorHttpInvalidServerResponse, ""},
        {"nothing at all", "", false, ErrorHttpInvalidServerResponse, ""},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TTestPeer Peer(Case.Raw);
        std::string Body = "stale";
        std::int32_t Error = -1;
        EXPECT_EQ(HttpGetToString(LocalUrl(Peer.Port(), "/integrity-local"), Body, Error),
                  Case.Result);
        EXPECT_EQ(Error, Case.Error);
        EXPECT_EQ(Body.size(), Case.Body.size());
        EXPECT_TRUE(Body == Case.Body);
    }
}

TEST(HttpClientFailures, RefusedConnectionIs12029) {
    std::string Body = "stale";
    std::int32_t Error = 0;
    EXPECT_FALSE(HttpGetToString(LocalUrl(test::FreeLoopbackPort(), "/x"), Body, Error));
    EXPECT_EQ(Error, ErrorInternetCannotConnect);
    EXPECT_EQ(Body, "");
    EXPECT_EQ(InternetErrorText(Error), "Could not connect to server!");
}

TEST(HttpClientFailures, HostThatCannotBeAServerNameIs12007) {
    for (const char* URL : {"http://a b/x", "http://evil@127.0.0.1/x", "http:///x"}) {
        SCOPED_TRACE(URL);
        std::string Body;
        std::int32_t Error = 0;
        EXPECT_FALSE(HttpGetToString(URL, Body, Error));
        EXPECT_EQ(Error, ErrorInternetNameNotResolved);
        EXPECT_EQ(InternetErrorText(Error), "Could not find server!");
    }
}

TEST(HttpClientFailures, PortOutOfRangeIsAnInvalidUrl) {
    std::string Body;
    std::int32_t Error = 0;
    EXPECT_FALSE(HttpGetToString("http://127.0.0.1:70000/x", Body, Error));
    EXPECT_EQ(Error, ErrorInternetInvalidUrl);
}

TEST(HttpClientFailures, SilentPeerTimesOut) {
    TTestPeer Peer;
    Peer.SetHang();
    TqxInternetHTTP Client;
    Client.SetTimeouts(1000ms, 300ms);
    std::string Stream;
    EXPECT_FALSE(Client.Get(LocalUrl(Peer.Port(), "/x"), Stream));
    EXPECT_EQ(Client.LastError(), ErrorInternetTimeout);
    EXPECT_EQ(InternetErrorText(Client.LastError()), "12002: The operation timed out\r\n");
}

TEST(HttpClientFailures, PeerHangingMidBodyDeliversWhatCame) {
    TTestPeer Peer;
    Peer.SetHang("HTTP/1.0 200 X\r\nContent-Length: 10\r\n\r\n12345");
    TqxInternetHTTP Client;
    Client.SetTimeouts(1000ms, 300ms);
    std::string Stream;
    EXPECT_TRUE(Client.Get(LocalUrl(Peer.Port(), "/x"), Stream));
    EXPECT_EQ(Stream, "12345");
    EXPECT_EQ(Client.TotalSize(), 10);
    EXPECT_EQ(Client.Downloaded(), 5);
}

TEST(HttpClientFailures, ProxyFromEnvironmentIsNotUsedForLoopback) {
    TTestPeer Peer(TTestPeer::Reply(200, "direct"));
    const std::string Proxy = "http://127.0.0.1:" + std::to_string(test::FreeLoopbackPort());
    ::setenv("http_proxy", Proxy.c_str(), 1);
    ::setenv("HTTP_PROXY", Proxy.c_str(), 1);
    std::string Body;
    std::int32_t Error = 0;
    const bool Result = HttpGetToString(LocalUrl(Peer.Port(), "/x"), Body, Error);
    ::unsetenv("http_proxy");
    ::unsetenv("HTTP_PROXY");
    EXPECT_TRUE(Result);
    EXPECT_EQ(Body, "direct");
}

TEST(HttpClientSession, ReportsSizesProgressAndTrace) {
    TTestPeer Peer(TTestPeer::Reply(500, std::string(10000, 'b')));
    TqxInternetHTTP Client;
    EXPECT_EQ(Client.UserAgent(), "qelWinAPIWinINet");
    EXPECT_EQ(Client.ChunkSize(), 4096u);
    std::vector<std::string> Trace;
    std::vector<int> Percents;
    std::int64_t LastDownloaded = -1;
    Client.OnTrace = [&](const std::string& Text) { Trace.push_back(Text); };
    Client.OnProgress = [&](std::uint8_t Percent, std::int64_t Downloaded, std::int64_t Total) {
        Percents.push_back(Percent);
        LastDownloaded = Downloaded;
        EXPECT_EQ(Total, 10000);
    };
    std::string Stream = "kept:";
    ASSERT_TRUE(Client.Get(LocalUrl(Peer.Port(), "/"), Stream));
    EXPECT_EQ(Stream, "kept:" + std::string(10000, 'b'));
    EXPECT_EQ(Client.TotalSize(), 10000);
    EXPECT_EQ(Client.Downloaded(), 10000);
    EXPECT_EQ(Trace, std::vector<std::string>{"+ HttpQueryInfo status=500"});
    ASSERT_GE(Percents.size(), 3u); // at least three chunks and the final call
    EXPECT_EQ(Percents.back(), 100);
    EXPECT_EQ(LastDownloaded, 10000);
}

TEST(HttpClientSession, OneSessionServesSeveralRequests) {
    TTestPeer Found(TTestPeer::Reply(200, "yes"));
    TTestPeer Missing(TTestPeer::Reply(404, ""));
    TqxInternetHTTP Client;
    std::string Stream;
    EXPECT_FALSE(Client.Get(LocalUrl(Missing.Port(), "/"), Stream));
    EXPECT_EQ(Client.LastError(), ErrorNotFound);
    EXPECT_TRUE(Client.Get(LocalUrl(Found.Port(), "/"), Stream));
    EXPECT_EQ(Client.LastError(), 0); // reset by each request
    EXPECT_EQ(Client.TotalSize(), 3);
    EXPECT_EQ(Stream, "yes");
}

TEST(HttpClientSession, ObserverExceptionsReachTheCallerNotTheLibrary) {
    TTestPeer Peer(TTestPeer::Reply(200, "body"));
    TqxInternetHTTP Client;
    Client.OnProgress = [](std::uint8_t, std::int64_t, std::int64_t) {
        throw std::runtime_error("observer failed");
    };
    std::string Stream;
    EXPECT_THROW(Client.Get(LocalUrl(Peer.Port(), "/"), Stream), std::runtime_error);
}

TEST(HttpClientErrors, TextsAndLibraryCodes) {
    struct TTextCase {
        std::int32_t Code;
        std::string Text;
    } Texts[] = {
        {ErrorNotFound, "File not found on server!"},
        {ErrorInternetNameNotResolved, "Could not find server!"},
        {ErrorInternetCannotConnect, "Could not connect to server!"},
        {ErrorNoScheme, "1: Incorrect function.\r\n"},
        {ErrorInvalidHandle, "6: The handle is invalid.\r\n"},
        {ErrorInternetTimeout, "12002: The operation timed out\r\n"},
        {ErrorHttpInvalidServerResponse,
         "12152: The server returned an invalid or unrecognized response\r\n"},
        {12345, "Unknown error #12345"},
        {-5, "Unknown error #-5"},
    };
    for (const auto& Case : Texts) {
        EXPECT_EQ(InternetErrorText(Case.Code), Case.Text);
    }
    struct TCurlCase {
        CURLcode Curl;
        std::int32_t Code;
    } CurlCases[] = {
        {CURLE_COULDNT_RESOLVE_HOST, ErrorInternetNameNotResolved},
        {CURLE_COULDNT_CONNECT, ErrorInternetCannotConnect},
        {CURLE_OPERATION_TIMEDOUT, ErrorInternetTimeout},
        {CURLE_WEIRD_SERVER_REPLY, ErrorHttpInvalidServerResponse},
        {CURLE_RECV_ERROR, ErrorInternetConnectionReset},
        {CURLE_SEND_ERROR, ErrorInternetConnectionAborted},
        {CURLE_SSL_CONNECT_ERROR, ErrorInternetInternal},
    };
    for (const auto& Case : CurlCases) {
        EXPECT_EQ(InternetErrorFromCurl(Case.Curl), Case.Code) << Case.Curl;
    }
}

} // namespace
} // namespace vx::health
