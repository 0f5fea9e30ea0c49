#include "decisions/MonitorPeer.h"

#include "decisions/KeyValueLines.h"

#include <gtest/gtest.h>

namespace vx::decisions {
namespace {

TEST(MonitorPeer, VerdictPathRoundTrips) {
    for (const bool Allow : {true, false}) {
        for (const std::uint32_t ID : {0u, 7u, 4294967295u}) {
            std::uint32_t ParsedID = 1;
            bool ParsedAllow = !Allow;
            ASSERT_TRUE(ParseVerdictPath(VerdictPath(ID, Allow), ParsedID, ParsedAllow));
            EXPECT_EQ(ParsedID, ID);
            EXPECT_EQ(ParsedAllow, Allow);
        }
    }
    EXPECT_EQ(VerdictPath(7, true), "/applydecision?decisionid=7&decision=allow");
}

TEST(MonitorPeer, MalformedVerdictPathsAreRejected) {
    const char* Paths[] = {
        "/applydecision",
        "/applydecision?",
        "/applydecision?decisionid=7",
        "/applydecision?decision=allow",
        "/applydecision?decisionid=-1&decision=allow",
        "/applydecision?decisionid=4294967296&decision=allow",
        "/applydecision?decisionid=7x&decision=allow",
        "/applydecision?decisionid=&decision=deny",
        "/applydecision?decisionid=7&decision=Allow",
        "/applydecisions?decisionid=7&decision=allow",
        "/add?decisionid=7&decision=allow",
    };
    for (const char* Path : Paths) {
        std::uint32_t ID = 42;
        bool Allow = false;
        EXPECT_FALSE(ParseVerdictPath(Path, ID, Allow)) << Path;
        EXPECT_EQ(ID, 42u);
    }
    std::uint32_t ID = 0;
    bool Allow = true;
    EXPECT_TRUE(ParseVerdictPath("/applydecision?decision=deny&DecisionID=12", ID, Allow));
    EXPECT_EQ(ID, 12u);
    EXPECT_FALSE(Allow);
}

TEST(MonitorPeer, AddQueryEncodesValues) {
    EXPECT_EQ(AddQuery({"module=Registry", "information=Run key 50%", "item=C:\\a&b=c",
                        "olddata=", "newdata=x\r\ny"}),
              "module=Registry&information=Run%20key%2050%25&item=C%3A%5Ca%26b%3Dc"
              "&olddata=&newdata=x%0D%0Ay");
    EXPECT_EQ(AddQuery({}), "");
    EXPECT_EQ(AddQuery({"flag", "x=1"}), "flag&x=1");
}

TEST(MonitorPeer, RefusalIsExactlyZero) {
    EXPECT_TRUE(IsRefusal("0"));
    for (const char* Reply : {"", "00", "0\r\n", " 0", "1"}) {
        EXPECT_FALSE(IsRefusal(Reply)) << Reply;
    }
}

TEST(KeyValueLines, LookupIgnoresCaseAndFirstLineWins) {
    const TStrings Lines{"plain", "Name=first", "NAME=second", "=nameless", "empty="};
    EXPECT_EQ(ValueOf(Lines, "name"), "first");
    EXPECT_EQ(ValueOf(Lines, "plain"), "");
    EXPECT_FALSE(HasKey(Lines, "plain"));
    EXPECT_TRUE(HasKey(Lines, "EMPTY"));
    EXPECT_TRUE(HasKey(Lines, ""));
    EXPECT_EQ(ValueOf(Lines, ""), "nameless");
    EXPECT_EQ(ValueOf(Lines, "missing"), "");
}

} // namespace
} // namespace vx::decisions
