#include "DecisionServerFixture.h"

#include <string>

#include <gtest/gtest.h>

namespace vx::decisions::test {
namespace {

using DecisionServerBadInput = DecisionServerFixture;

std::string AddRequest(const std::string& Query) {
    return "GET /add?" + Query + " HTTP/1.0\r\n\r\n";
}

std::string Repeat(const std::string& Piece, std::size_t Count) {
    std::string Text;
    Text.reserve(Piece.size() * Count);
    for (std::size_t I = 0; I < Count; ++I) {
        Text += Piece;
    }
    return Text;
}

// Requests over the request-line limit are dropped unanswered; the service goes on.
TEST_F(DecisionServerBadInput, OversizedQueriesAreDroppedUnanswered) {
    const std::string Oversized[] = {
        AddRequest("module=" + std::string(1024 * 1024, 'a') + "&information=i"),
        AddRequest("module=m&information=i" + std::string(100000, '&')),
    };
    for (const auto& Request : Oversized) {
        EXPECT_EQ(AskRaw(Request), "");
    }
    EXPECT_EQ(FDaemon->Decisions().Count(), 0);
    EXPECT_EQ(Ask("GET /status HTTP/1.0\r\n\r\n").Status, 200);
}

TEST_F(DecisionServerBadInput, ManyEmptyFieldsWithinTheLimitAreTaken) {
    const TReply Reply = Add("module=m" + std::string(60000, '&') + "information=i&");
    ASSERT_EQ(Reply.Status, 200);
    const auto Decision = FDaemon->Decisions().Items(0);
    EXPECT_EQ(Decision->Module, "m");
    EXPECT_EQ(Decision->Information, "i");
}

TEST_F(DecisionServerBadInput, LongEscapeRunsDecodeCompletely) {
    // Every %2541 takes two passes to become A: 12,000 of them near the line limit.
    const TReply Reply = Add("module=" + Repeat("%2541", 12000) +
                             "&information=" + Repeat("%0D%0A", 100) + "&information=second");
    ASSERT_EQ(Reply.Status, 200);
    const auto Decision = FDaemon->Decisions().Items(0);
    EXPECT_EQ(Decision->Module, std::string(12000, 'A'));
    // The decoded line breaks split the field into empty lines; the first one counts.
    EXPECT_EQ(Decision->Information, "");
}

TEST_F(DecisionServerBadInput, EscapesCutShortAndNulBytesAreKeptAsGiven) {
    const std::string Nul("a\0b", 3);
    struct {
        std::string Query;
        std::string Module;
        std::string Information;
    } const Cases[] = {
        {"module=%4&information=%", "%4", "%"},
        {"module=%&information=%%", "%", "%%"},
        {"module=x%0&information=%00", "x%0", "%00"},
        {"module=" + Nul + "&information=" + Nul + "%00", Nul, Nul + "%00"},
        {"module=\x01\x7F\xFF&information=%FF", "\x01\x7F\xFF", "\xFF"},
    };
    for (const auto& Case : Cases) {
        const TReply Reply = Add(Case.Query);
        ASSERT_EQ(Reply.Status, 200) << Case.Query;
        const auto Decision = FDaemon->Decisions().Items(FDaemon->Decisions().Count() - 1);
        EXPECT_EQ(Decision->Module, Case.Module);
        EXPECT_EQ(Decision->Information, Case.Information);
        EXPECT_NE(Reply.Body.find("\r\nmodule=" + Case.Module + "\r\n"), std::string::npos);
    }
    EXPECT_NE(Ask("GET /list HTTP/1.0\r\n\r\n").Body.find("module=" + Nul), std::string::npos);
}

TEST_F(DecisionServerBadInput, FieldsThatLookLikeOtherKeysDoNotForgeTheIdentity) {
    const TReply Reply = Add("module=m%0D%0Aid=77%0D%0Aindex=9&information=i");
    ASSERT_EQ(Reply.Status, 200);
    const auto Lines = BodyLines(Reply.Body);
    EXPECT_EQ(Lines.front(), "id=0");
    EXPECT_EQ(Lines.back(), "index=0");
}

} // namespace
} // namespace vx::decisions::test
