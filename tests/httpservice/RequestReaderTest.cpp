#include "httpservice/RequestReader.h"

#include "TestService.h"
#include "support/CaseName.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::httpservice::test {
namespace {

using TState = TRequestReader::TState;

struct TReadCase {
    const char* Name;
    std::string Bytes;
    bool Ended; // the input ends after the bytes
    TState State;
    std::string Seen; // "method|uri|protocol|body" of a complete request
};

void PrintTo(const TReadCase& c, std::ostream* os) {
    *os << c.Name;
}

std::string Seen(const TRequestReader& reader) {
    const THttpRequest& r = reader.Request();
    return r.Method + "|" + r.Uri + "|" + r.Protocol + "|" + r.Body;
}

// Feeds the bytes in pieces of `size` (0: all at once).
TRequestReader ReadInPieces(const TReadCase& c, std::size_t size) {
    TRequestReader reader;
    const std::string& bytes = c.Bytes;
    const std::size_t step = size == 0 ? bytes.size() + 1 : size;
    for (std::size_t at = 0; at < bytes.size() && reader.State() == TState::NeedMore; at += step) {
        reader.Feed(std::string_view(bytes).substr(at, step));
    }
    if (c.Ended) {
        reader.End();
    }
    return reader;
}

class RequestReaderTest : public ::testing::TestWithParam<TReadCase> {};

// However the bytes are cut into pieces, the outcome is the same: a line end or a body split
// across pieces must not change it.
TEST_P(RequestReaderTest, EveryCutOfTheBytesReadsTheSame) {
    const TReadCase& c = GetParam();
    for (const std::size_t size : {0, 1, 2, 3, 7, 4096}) {
        const TRequestReader reader = ReadInPieces(c, size);
        EXPECT_EQ(reader.State(), c.State) << "pieces of " << size;
        if (c.State == TState::Complete) {
            EXPECT_EQ(Seen(reader), c.Seen) << "pieces of " << size;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RequestReaderTest,
    ::testing::Values(
        TReadCase{"Simple", "GET /x HTTP/1.0\r\n\r\n", false, TState::Complete, "GET|/x|HTTP/1.0|"},
        TReadCase{"NoProtocolEndsAtTheLine", "GET  /log  \r\nignored", false, TState::Complete,
                  "GET|/log||"},
        TReadCase{"BodyByTheLastLength",
                  "POST /b HTTP/1.0\r\ncontent-length: 9\r\nCONTENT-LENGTH: 5\r\n\r\nhello+more",
                  false, TState::Complete, "POST|/b|HTTP/1.0|hello"},
        TReadCase{"BodyHoldsLineEnds", "POST /b HTTP/1.0\r\nContent-Length: 6\r\n\r\na\r\nb\nc",
                  false, TState::Complete, "POST|/b|HTTP/1.0|a\r\nb\nc"},
        TReadCase{"ZeroLength", "POST /b HTTP/1.0\r\nContent-Length: 0\r\n\r\n", false,
                  TState::Complete, "POST|/b|HTTP/1.0|"},
        TReadCase{"BadLengthMeansNoBody", "POST /b HTTP/1.0\r\nContent-Length:5\r\n\r\nhello",
                  false, TState::Complete, "POST|/b|HTTP/1.0|"},
        TReadCase{"CarriageReturnInTheLine", "GET /a\rb HTTP/1.0\r\n\r\n", false, TState::Complete,
                  "GET|/a\rb|HTTP/1.0|"},
        TReadCase{"HundredHeaderLines", "GET /x HTTP/1.0\r\n" + HeaderLines(100) + "\r\n", false,
                  TState::Complete, "GET|/x|HTTP/1.0|"},
        TReadCase{"LongestRequestLine",
                  "GET /" + std::string(64 * 1024 - 14, 'a') + " HTTP/1.0\r\n\r\n", false,
                  TState::Complete, "GET|/" + std::string(64 * 1024 - 14, 'a') + "|HTTP/1.0|"},
        TReadCase{"HeadersStillComing", "GET /x HTTP/1.0\r\nHost: a\r\n", false, TState::NeedMore,
                  ""},
        TReadCase{"BareLineFeedsEndNothing", "GET /x HTTP/1.0\n\n", false, TState::NeedMore, ""},
        TReadCase{"BodyStillComing", "POST /b HTTP/1.0\r\nContent-Length: 10\r\n\r\nabc", false,
                  TState::NeedMore, ""},
        TReadCase{"EndedInTheHeaders", "GET /x HTTP/1.0\r\nHost: a\r\n", true, TState::Malformed,
                  ""},
        TReadCase{"EndedInTheBody", "POST /b HTTP/1.0\r\nContent-Length: 10\r\n\r\nabc", true,
                  TState::Malformed, ""},
        TReadCase{"EmptyLine", "\r\n", false, TState::Malformed, ""},
        TReadCase{"OneToken", "GET\r\n", false, TState::Malformed, ""},
        TReadCase{"NotHttp", "GET /x FTP/1.0\r\n", false, TState::Malformed, ""},
        TReadCase{"BodyOverTheLimit", "POST /x HTTP/1.0\r\nContent-Length: 1048577\r\n\r\n", false,
                  TState::Malformed, ""},
        TReadCase{"RequestLineOverTheLimit",
                  "GET /" + std::string(64 * 1024, 'a') + " HTTP/1.0\r\n", false, TState::Malformed,
                  ""},
        TReadCase{"UnendedRequestLineOverTheLimit", "GET /" + std::string(64 * 1024, 'a'), false,
                  TState::Malformed, ""},
        TReadCase{"TooManyHeaderLines", "GET /x HTTP/1.0\r\n" + HeaderLines(101), false,
                  TState::Malformed, ""}),
    vx::test::CaseName{});

TEST(RequestReaderMemoryTest, KeepsNoMoreThanTheRequestNeeds) {
    TRequestReader reader;
    reader.Feed("POST /b HTTP/1.0\r\nContent-Length: 4\r\n\r\n");
    EXPECT_LE(reader.Buffered(), 4u);
    reader.Feed("body" + std::string(100000, 'x'));
    EXPECT_EQ(reader.State(), TState::Complete);
    EXPECT_EQ(reader.Buffered(), 4u); // what follows the request is not kept
}

} // namespace
} // namespace vx::httpservice::test
