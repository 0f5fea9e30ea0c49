#include "platform/EventLog.h"
#include "platform/EventLogEntry.h"
#include "platform/Files.h"
#include "platform/SystemLog.h"
#include "support/CaseName.h"

#include <regex>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

struct TJournalCase {
    const char* Name;
    TEventRecord Event;
    std::string Identifier;
    TJournalFields Expected;
};

// The fields every row shares after its MESSAGE, PRIORITY and identifier.
TJournalFields EventFields(const std::string& source, const std::string& type,
                           const std::string& category, const std::string& id) {
    return {{"VX_EVENT_SOURCE", source},
            {"VX_EVENT_TYPE", type},
            {"VX_EVENT_CATEGORY", category},
            {"VX_EVENT_ID", id}};
}

TJournalFields Entry(const std::string& message, const std::string& priority,
                     const std::string& identifier, TJournalFields eventFields,
                     const TJournalFields& strings = {}) {
    TJournalFields fields{{"MESSAGE", message}, {"PRIORITY", priority}};
    if (!identifier.empty()) {
        fields.push_back({"SYSLOG_IDENTIFIER", identifier});
    }
    fields.insert(fields.end(), eventFields.begin(), eventFields.end());
    fields.insert(fields.end(), strings.begin(), strings.end());
    return fields;
}

const std::string Source = "Korvex - Thornet 2";

const TJournalCase JournalCases[] = {
    {"error",
     {Source, EVENTLOG_ERROR_TYPE, 1, 100, {"Scanner: 12002: The operation timed out"}},
     "VXTray",
     Entry("Korvex - Thornet 2: Scanner: 12002: The operation timed out", "3", "VXTray",
           EventFields(Source, "error", "1", "100"),
           {{"VX_EVENT_STRING_1", "Scanner: 12002: The operation timed out"}})},
    {"warning",
     {"kxNet", EVENTLOG_WARNING_TYPE, 2, 7, {"low"}},
     "VXTray",
     Entry("kxNet: low", "4", "VXTray", EventFields("kxNet", "warning", "2", "7"),
           {{"VX_EVENT_STRING_1", "low"}})},
    {"information",
     {"kxNet", EVENTLOG_INFORMATION_TYPE, 0, 100, {"up"}},
     "VXTray",
     Entry("kxNet: up", "6", "VXTray", EventFields("kxNet", "information", "0", "100"),
           {{"VX_EVENT_STRING_1", "up"}})},
    {"success",
     {"kxNet", EVENTLOG_SUCCESS, 0, 100, {"done"}},
     "VXTray",
     Entry("kxNet: done", "5", "VXTray", EventFields("kxNet", "success", "0", "100"),
           {{"VX_EVENT_STRING_1", "done"}})},
    {"audit success",
     {"kxNet", EVENTLOG_AUDIT_SUCCESS, 0, 100, {"granted"}},
     "VXTray",
     Entry("kxNet: granted", "5", "VXTray", EventFields("kxNet", "audit-success", "0", "100"),
           {{"VX_EVENT_STRING_1", "granted"}})},
    {"audit failure",
     {"kxNet", EVENTLOG_AUDIT_FAILURE, 0, 100, {"denied"}},
     "VXTray",
     Entry("kxNet: denied", "3", "VXTray", EventFields("kxNet", "audit-failure", "0", "100"),
           {{"VX_EVENT_STRING_1", "denied"}})},
    {"a type Windows does not have is its number",
     {"kxNet", 0x0020, 0, 100, {"odd"}},
     "VXTray",
     Entry("kxNet: odd", "5", "VXTray", EventFields("kxNet", "32", "0", "100"),
           {{"VX_EVENT_STRING_1", "odd"}})},
    // The message stays one line; each string keeps its line breaks in its own field.
    {"line breaks",
     {Source, EVENTLOG_ERROR_TYPE, 1, 100, {"Scanner: 12002: timed out\r\n", "a\nb\rc", "last"}},
     "VXTray",
     Entry("Korvex - Thornet 2: Scanner: 12002: timed out a b c last", "3", "VXTray",
           EventFields(Source, "error", "1", "100"),
           {{"VX_EVENT_STRING_1", "Scanner: 12002: timed out\r\n"},
            {"VX_EVENT_STRING_2", "a\nb\rc"},
            {"VX_EVENT_STRING_3", "last"}})},
    {"no strings",
     {Source, EVENTLOG_INFORMATION_TYPE, 3, 4711, {}},
     "VXTray",
     Entry("Korvex - Thornet 2: event 4711", "6", "VXTray",
           EventFields(Source, "information", "3", "4711"))},
    {"empty strings keep their places",
     {"kxNet", EVENTLOG_WARNING_TYPE, 0, 100, {"", "second", ""}},
     "VXTray",
     Entry(
         "kxNet:  second ", "4", "VXTray", EventFields("kxNet", "warning", "0", "100"),
         {{"VX_EVENT_STRING_1", ""}, {"VX_EVENT_STRING_2", "second"}, {"VX_EVENT_STRING_3", ""}})},
    {"values with = and a NUL are values",
     {"a=b", EVENTLOG_WARNING_TYPE, 0, 100, {"MESSAGE=forged", std::string("x\0y", 3)}},
     "VXTray",
     Entry(
         "a=b: MESSAGE=forged " + std::string("x\0y", 3), "4", "VXTray",
         EventFields("a=b", "warning", "0", "100"),
         {{"VX_EVENT_STRING_1", "MESSAGE=forged"}, {"VX_EVENT_STRING_2", std::string("x\0y", 3)}})},
    {"no identifier",
     {"kxNet", EVENTLOG_ERROR_TYPE, 0, 100, {"x"}},
     "",
     Entry("kxNet: x", "3", "", EventFields("kxNet", "error", "0", "100"),
           {{"VX_EVENT_STRING_1", "x"}})},
};

class JournalEntryTest : public ::testing::TestWithParam<TJournalCase> {};

TEST_P(JournalEntryTest, TheEventsFieldsAreValidAndInPlace) {
    const TJournalCase& row = GetParam();
    const TJournalFields fields = JournalFields(row.Event, row.Identifier);
    EXPECT_EQ(fields, row.Expected);
    // What the journal takes as a field name; a message on more than one line would read as
    // several entries in syslog-style output.
    const std::regex validName("[A-Z][A-Z0-9_]{0,63}");
    for (const auto& field : fields) {
        EXPECT_TRUE(std::regex_match(field.Name, validName)) << field.Name;
    }
    ASSERT_FALSE(fields.empty());
    EXPECT_EQ(fields[0].Value.find_first_of("\r\n"), std::string::npos) << fields[0].Value;
}

INSTANTIATE_TEST_SUITE_P(Rows, JournalEntryTest, ::testing::ValuesIn(JournalCases),
                         test::CaseName{});

TEST(SyslogLineTest, TheSourceLeadsTheLineThatKeepsItsCategoryAndIdentifier) {
    const struct {
        const char* Name;
        TEventRecord Event;
        std::string Line;
    } cases[] = {
        {"strings",
         {Source, EVENTLOG_ERROR_TYPE, 1, 100, {"Scanner: timed out\r\n", "a\nb"}},
         "Korvex - Thornet 2: [category 1, event 100] Scanner: timed out a b"},
        {"no strings", {"kxNet", EVENTLOG_SUCCESS, 0, 7, {}}, "kxNet: [category 0, event 7]"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(SyslogLine(row.Event), row.Line);
    }
}

// The whole path from the event log's calls: the journal gets the executable's name, not the
// source, as its identifier; an event sink still takes every event first.
TEST(EventJournalTest, ReportedEventsReachTheJournalUnderTheExecutablesName) {
    TJournalRecorder journal;
    EXPECT_TRUE(WriteEventLog(EVENTLOG_WARNING_TYPE, 2, Source, {"first", "second"}));
    {
        const TEventLogRecorder events;
        EXPECT_TRUE(WriteEventLog(EVENTLOG_ERROR_TYPE, 1, Source, {"taken by the sink"}));
        EXPECT_EQ(events.Events().size(), 1u);
    }
    const auto entries = journal.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0],
              JournalFields({Source, EVENTLOG_WARNING_TYPE, 2, 100, {"first", "second"}},
                            ExecutableFileName()));
    EXPECT_EQ(entries[0].at(2), (TJournalField{"SYSLOG_IDENTIFIER", "test_platform_support"}));
}

} // namespace
} // namespace vx::win
