#include "decisions/MonitorPeer.h"

#include "decisions/KeyValueLines.h"

#include <gtest/gtest.h>

namespace vx::decisions {
namespace {

TEST(MonitorPeer, VerdictPathRoundTrips) {
    for (const bool allow : {true, false}) {
        for (const std::uint32_t id : {0u, 7u, 4294967295u}) {
            std::uint32_t parsedId = 1;
            bool parsedAllow = !allow;
            ASSERT_TRUE(ParseVerdictPath(VerdictPath(id, allow), parsedId, parsedAllow));
            EXPECT_EQ(parsedId, id);
            EXPECT_EQ(parsedAllow, allow);
        }
    }
    EXPECT_EQ(VerdictPath(7, true), "/applydecision?decisionid=7&decision=allow");
}

TEST(MonitorPeer, MalformedVerdictPathsAreRejected) {
    const char* paths[] = {
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
    for (const char* path : paths) {
        std::uint32_t id = 42;
        bool allow = false;
        EXPECT_FALSE(ParseVerdictPath(path, id, allow)) << path;
        EXPECT_EQ(id, 42u);
    }
    std::uint32_t id = 0;
    bool allow = true;
    EXPECT_TRUE(ParseVerdictPath("/applydecision?decision=deny&DecisionID=12", id, allow));
    EXPECT_EQ(id, 12u);
    EXPECT_FALSE(allow);
}

TEST(MonitorPeer, LiveProtectionPathRoundTripsAndRejectsTheMalformed) {
    EXPECT_EQ(LiveProtectionPath(false), "/liveprotection?enabled=0");
    EXPECT_EQ(LiveProtectionPath(true), "/liveprotection?enabled=1");
    for (const bool enabled : {true, false}) {
        bool parsed = !enabled;
        ASSERT_TRUE(ParseLiveProtectionPath(LiveProtectionPath(enabled), parsed));
        EXPECT_EQ(parsed, enabled);
    }
    for (const char* path : {"/liveprotection", "/liveprotection?", "/liveprotection?enabled=",
                             "/liveprotection?enabled=2", "/liveprotection?enabled=on",
                             "/liveprotections?enabled=1", "/applydecision?enabled=1"}) {
        bool enabled = true;
        EXPECT_FALSE(ParseLiveProtectionPath(path, enabled)) << path;
        EXPECT_TRUE(enabled) << path;
    }
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
    for (const char* reply : {"", "00", "0\r\n", " 0", "1"}) {
        EXPECT_FALSE(IsRefusal(reply)) << reply;
    }
}

TEST(KeyValueLines, LookupIgnoresCaseAndFirstLineWins) {
    const TStrings lines{"plain", "Name=first", "NAME=second", "=nameless", "empty="};
    EXPECT_EQ(ValueOf(lines, "name"), "first");
    EXPECT_EQ(ValueOf(lines, "plain"), "");
    EXPECT_FALSE(HasKey(lines, "plain"));
    EXPECT_TRUE(HasKey(lines, "EMPTY"));
    EXPECT_TRUE(HasKey(lines, ""));
    EXPECT_EQ(ValueOf(lines, ""), "nameless");
    EXPECT_EQ(ValueOf(lines, "missing"), "");
}

} // namespace
} // namespace vx::decisions
