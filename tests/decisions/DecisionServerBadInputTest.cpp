#include "DecisionServerFixture.h"

#include <string>

#include <gtest/gtest.h>

namespace vx::decisions::test {
namespace {

using DecisionServerBadInput = DecisionServerFixture;

std::string AddRequest(const std::string& query) {
    return "GET /add?" + query + " HTTP/1.0\r\n\r\n";
}

std::string Repeat(const std::string& piece, std::size_t count) {
    std::string text;
    text.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

// Requests over the request-line limit are dropped unanswered; the service goes on.
TEST_F(DecisionServerBadInput, OversizedQueriesAreDroppedUnanswered) {
    const std::string oversized[] = {
        AddRequest("module=" + std::string(1024 * 1024, 'a') + "&information=i"),
        AddRequest("module=m&information=i" + std::string(100000, '&')),
    };
    for (const auto& request : oversized) {
        EXPECT_EQ(AskRaw(request), "");
    }
    EXPECT_EQ(FDaemon->Decisions().Count(), 0);
    EXPECT_EQ(Ask("GET /status HTTP/1.0\r\n\r\n").Status, 200);
}

TEST_F(DecisionServerBadInput, ManyEmptyFieldsWithinTheLimitAreTaken) {
    const TReply reply = Add("module=m" + std::string(60000, '&') + "information=i&");
    ASSERT_EQ(reply.Status, 200);
    const auto decision = FDaemon->Decisions().Items(0);
    EXPECT_EQ(decision->Module, "m");
    EXPECT_EQ(decision->Information, "i");
}

TEST_F(DecisionServerBadInput, LongEscapeRunsDecodeCompletely) {
    // Every %2541 takes two passes to become A: 12,000 of them near the line limit.
    const TReply reply = Add("module=" + Repeat("%2541", 12000) +
                             "&information=" + Repeat("%0D%0A", 100) + "&information=second");
    ASSERT_EQ(reply.Status, 200);
    const auto decision = FDaemon->Decisions().Items(0);
    EXPECT_EQ(decision->Module, std::string(12000, 'A'));
    // The decoded line breaks split the field into empty lines; the first one counts.
    EXPECT_EQ(decision->Information, "");
}

TEST_F(DecisionServerBadInput, EscapesCutShortAndNulBytesAreKeptAsGiven) {
    const std::string nul("a\0b", 3);
    struct {
        std::string Query;
        std::string Module;
        std::string Information;
    } const cases[] = {
        {"module=%4&information=%", "%4", "%"},
        {"module=%&information=%%", "%", "%%"},
        {"module=x%0&information=%00", "x%0", "%00"},
        {"module=" + nul + "&information=" + nul + "%00", nul, nul + "%00"},
        {"module=\x01\x7F\xFF&information=%FF", "\x01\x7F\xFF", "\xFF"},
    };
    for (const auto& testCase : cases) {
        const TReply reply = Add(testCase.Query);
        ASSERT_EQ(reply.Status, 200) << testCase.Query;
        const auto decision = FDaemon->Decisions().Items(FDaemon->Decisions().Count() - 1);
        EXPECT_EQ(decision->Module, testCase.Module);
        EXPECT_EQ(decision->Information, testCase.Information);
        EXPECT_NE(reply.Body.find("\r\nmodule=" + testCase.Module + "\r\n"), std::string::npos);
    }
    EXPECT_NE(Ask("GET /list HTTP/1.0\r\n\r\n").Body.find("module=" + nul), std::string::npos);
}

TEST_F(DecisionServerBadInput, FieldsThatLookLikeOtherKeysDoNotForgeTheIdentity) {
    const TReply reply = Add("module=m%0D%0Aid=77%0D%0Aindex=9&information=i");
    ASSERT_EQ(reply.Status, 200);
    const auto lines = BodyLines(reply.Body);
    EXPECT_EQ(lines.front(), "id=0");
    EXPECT_EQ(lines.back(), "index=0");
}

} // namespace
} // namespace vx::decisions::test
