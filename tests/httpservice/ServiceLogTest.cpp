#include "httpservice/ServiceLog.h"

#include "httpservice/HttpDate.h"
#include "platform/EventLog.h"
#include "platform/LocaleTime.h"
#include "platform/Prefix.h"
#include "support/LocalTm.h"
#include "support/TempPrefix.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

namespace vx::httpservice {
namespace {

namespace fs = std::filesystem;

using vx::test::LocalTm;

// 9 January 2010, 14:03:27 local time.
std::chrono::system_clock::time_point TestTime() {
    std::tm t = LocalTm(2010, 1, 9, 14, 3, 27);
    return std::chrono::system_clock::from_time_t(std::mktime(&t));
}

TServiceLog::TClock FixedClock() {
    return [] { return TestTime(); };
}

class ServiceLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        FOldPrefix = win::CurrentPrefixDir();
        fs::create_directory(FPrefix.Dir() / "drive_c");
        win::SetCurrentPrefixDir(FPrefix.Dir());
    }
    void TearDown() override { win::SetCurrentPrefixDir(FOldPrefix); }

    fs::path LogFile() const { return FPrefix.Dir() / "drive_c" / "VXUpdate.log"; }
    std::string FileText() const { return FPrefix.Read("drive_c/VXUpdate.log"); }

    vx::test::TTempPrefix FPrefix;
    fs::path FOldPrefix;
    TServiceLog FLog{FixedClock()};
};

TEST_F(ServiceLogTest, KeepsTheNewest300EntriesOldestFirst) {
    for (int i = 1; i <= 301; ++i) {
        FLog.Log('0', "src", "/u", std::to_string(i));
    }
    const auto entries = FLog.Entries();
    ASSERT_EQ(entries.size(), MaxLogEntries);
    EXPECT_EQ(entries.front().Message, "2");
    EXPECT_EQ(entries.back().Message, "301");
}

TEST_F(ServiceLogTest, EveryLevelIsRecordedUnderThreshold9) {
    for (const char level : {'1', '9', '0', 'e', '!', '*', '+', '-', 'i', 'x'}) {
        FLog.Log(level, "s", "", "m");
    }
    EXPECT_EQ(FLog.Entries().size(), 10u);
    EXPECT_EQ(FLog.Entries()[1].Level, '9');
    EXPECT_EQ(FLog.Entries()[1].Time, TestTime());
}

TEST_F(ServiceLogTest, AFileLineHasLevelDateTimeSourceUriAndMessage) {
    FLog.Log('9', "127.0.0.1", "", "Listening on port 21324...");
    FLog.Log('e', "10.0.0.2", "/x?y", "broken");
    const std::tm t = LocalTm(2010, 1, 9, 14, 3, 27);
    const auto& locale = win::TLocaleTime::User();
    const std::string when = locale.ShortDate(t) + " " + locale.LongTime(t);
    EXPECT_EQ(FileText(), "9 " + when + " 127.0.0.1  Listening on port 21324...\r\n" + "e " + when +
                              " 10.0.0.2 /x?y broken\r\n");
    EXPECT_EQ(FLog.LastFileError(), "");
}

TEST_F(ServiceLogTest, WithoutTheFolderOrAPrefixTheFileIsSkipped) {
    fs::remove(FPrefix.Dir() / "drive_c");
    FLog.Log('9', "s", "", "m");
    EXPECT_FALSE(fs::exists(LogFile()));
    win::SetCurrentPrefixDir({});
    FLog.Log('9', "s", "", "m");
    EXPECT_EQ(FLog.Entries().size(), 2u);
    EXPECT_EQ(FLog.LastFileError(), "");
}

// A failed file line keeps the entry in memory, raises nothing, and leaves the event log alone;
// once the file can be written again, entries are copied again.
TEST_F(ServiceLogTest, AFileFailureKeepsTheEntryAndSkipsItsEventLogCopy) {
    const fs::path rotated = LogFile().string() + ".1";
    struct TCase {
        const char* Name;
        std::function<void()> Block;
    } const cases[] = {
        {"a folder where the file should be", [&] { fs::create_directory(LogFile()); }},
        {"a full file that cannot be moved aside",
         [&] {
             FLog.Log('0', "s", "", "first");
             fs::resize_file(LogFile(), LogRotateSize);
             fs::create_directories(rotated / "in the way");
         }},
        {"a link to a folder that is not there",
         [&] { fs::create_symlink(FPrefix.Dir() / "gone" / "VXUpdate.log", LogFile()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TServiceLog log(FixedClock());
        c.Block();
        win::TEventLogRecorder events;
        EXPECT_NO_THROW(log.Log('-', "s", "", "lost"));
        EXPECT_EQ(log.Entries().size(), 1u);
        EXPECT_NE(log.LastFileError(), "");
        EXPECT_TRUE(events.Events().empty());

        fs::remove_all(LogFile());
        fs::remove_all(rotated);
        log.Log('-', "s", "", "written");
        EXPECT_EQ(log.LastFileError(), "");
        ASSERT_EQ(events.Events().size(), 1u);
        EXPECT_EQ(events.Events()[0].Strings,
                  (std::vector<std::string>{"Source: s\r\nURI: \r\nMessage: written"}));
        fs::remove_all(LogFile());
    }
}

TEST_F(ServiceLogTest, TheFileRotatesOnceItReached16MiB) {
    const fs::path rotated = LogFile().string() + ".1";
    FLog.Log('0', "s", "", "first");
    fs::resize_file(LogFile(), LogRotateSize - 1);
    FLog.Log('0', "s", "", "appended");
    EXPECT_FALSE(fs::exists(rotated));
    EXPECT_GT(fs::file_size(LogFile()), LogRotateSize);

    FLog.Log('0', "s", "", "new file");
    EXPECT_GT(fs::file_size(rotated), LogRotateSize);
    const std::string text = FileText();
    EXPECT_TRUE(text.ends_with("s  new file\r\n")) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);

    // The next rotation replaces the older file.
    fs::resize_file(LogFile(), LogRotateSize);
    FLog.Log('0', "s", "", "newest");
    EXPECT_EQ(fs::file_size(rotated), LogRotateSize);
}

TEST_F(ServiceLogTest, EventLogCopiesByLevel) {
    struct TCase {
        char Level;
        int Type; // -1: not copied
    };
    const TCase cases[] = {{'!', win::EVENTLOG_WARNING_TYPE},
                           {'*', win::EVENTLOG_SUCCESS},
                           {'+', win::EVENTLOG_SUCCESS},
                           {'-', win::EVENTLOG_ERROR_TYPE},
                           {'i', win::EVENTLOG_INFORMATION_TYPE},
                           {'9', -1},
                           {'0', -1},
                           {'e', -1},
                           {'x', -1}};
    for (const auto& c : cases) {
        win::TEventLogRecorder events;
        FLog.Log(c.Level, "10.0.0.2", "/add", "text");
        const auto recorded = events.Events();
        if (c.Type < 0) {
            EXPECT_TRUE(recorded.empty()) << c.Level;
            continue;
        }
        ASSERT_EQ(recorded.size(), 1u) << c.Level;
        EXPECT_EQ(recorded[0].Type, c.Type);
        EXPECT_EQ(recorded[0].Category, 2);
        EXPECT_EQ(recorded[0].EventId, 100u);
        EXPECT_EQ(recorded[0].Source, "kxNet");
        EXPECT_EQ(recorded[0].Strings,
                  (std::vector<std::string>{"Source: 10.0.0.2\r\nURI: /add\r\nMessage: text"}));
    }
}

TEST_F(ServiceLogTest, LineLogLinesCarryTheirTime) {
    FLog.AddLogLine("X");
    FLog.AddLogLine("Y");
    const std::string& sep = win::TLocaleTime::User().TimeSeparator();
    const std::string first = "[2010-01-09 14" + sep + "03" + sep + "27] X";
    ASSERT_EQ(FLog.Lines().size(), 2u);
    EXPECT_EQ(FLog.Lines()[0], first);
    EXPECT_EQ(FLog.LineLogText(),
              first + "\r\n" + "[2010-01-09 14" + sep + "03" + sep + "27] Y\r\n");
}

TEST_F(ServiceLogTest, TheLineLogKeepsItsNewestLines) {
    for (std::size_t i = 0; i < MaxLogLines + 5; ++i) {
        FLog.AddLogLine(std::to_string(i));
    }
    const auto lines = FLog.Lines();
    ASSERT_EQ(lines.size(), MaxLogLines);
    EXPECT_TRUE(lines.front().ends_with("] 5"));
    EXPECT_TRUE(lines.back().ends_with("] " + std::to_string(MaxLogLines + 4)));
}

TEST_F(ServiceLogTest, ConcurrentWritersLoseNothing) {
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w) {
        writers.emplace_back([this, w] {
            for (int i = 0; i < 50; ++i) {
                const std::string source = std::to_string(w);
                FLog.Log('0', source, "", "m");
                FLog.AddLogLine("line");
                FLog.LineLogText();
            }
        });
    }
    for (auto& t : writers) {
        t.join();
    }
    EXPECT_EQ(FLog.Entries().size(), 200u);
    EXPECT_EQ(FLog.Lines().size(), 200u);
    std::size_t fileLines = 0;
    for (const char c : FileText()) {
        fileLines += c == '\n';
    }
    EXPECT_EQ(fileLines, 200u);
}

TEST(HttpDateTest, ZoneTextIsTheNegatedBiasAsHoursAndMinutes) {
    struct TCase {
        int Bias;
        const char* Text;
    };
    const TCase cases[] = {{-60, "+0100"}, {0, "+0000"},    {300, "-0500"},
                           {210, "-0330"}, {-330, "+0530"}, {30, "-0030"}};
    for (const auto& c : cases) {
        EXPECT_EQ(TimeZoneOffset(c.Bias), c.Text) << c.Bias;
    }
}

TEST(HttpDateTest, DateTextUsesEnglishNamesAndNoLeadingZeroOnTheDay) {
    EXPECT_EQ(Rfc822DateTime(LocalTm(2010, 1, 9, 14, 3, 27), -60),
              "Sat, 9 Jan 2010 14:03:27 +0100");
    EXPECT_EQ(Rfc822DateTime(LocalTm(2024, 12, 31, 0, 0, 5), 300),
              "Tue, 31 Dec 2024 00:00:05 -0500");
}

} // namespace
} // namespace vx::httpservice
