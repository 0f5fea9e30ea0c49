#include "platform/EventLog.h"

#include "platform/Registry.h"
#include "support/RegCalls.h"
#include "support/TempPrefix.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

TEST(EventLogTest, OneEventWithItsInsertionStringsInOrder) {
    TEventLogRecorder recorder;
    EXPECT_TRUE(WriteEventLog(EVENTLOG_WARNING_TYPE, 2, "kxNet", {"first", "second"}));
    const auto events = recorder.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Source, "kxNet");
    EXPECT_EQ(events[0].Type, EVENTLOG_WARNING_TYPE);
    EXPECT_EQ(events[0].Category, 2);
    EXPECT_EQ(events[0].EventId, 100u);
    EXPECT_EQ(events[0].Strings, (std::vector<std::string>{"first", "second"}));
}

TEST(EventLogTest, FailuresOnlyReturnFalse) {
    TEventLogRecorder recorder;
    EXPECT_FALSE(WriteEventLog(EVENTLOG_ERROR_TYPE, 1, "", {"no source"}));
    recorder.SetRefuse(true);
    EXPECT_FALSE(WriteEventLog(EVENTLOG_ERROR_TYPE, 1, "kxNet", {"refused"}));
    EXPECT_TRUE(recorder.Events().empty());
}

TEST(EventLogTest, AClosedHandleReportsNothing) {
    TEventLogRecorder recorder;
    const HANDLE handle = RegisterEventSource("kxNet");
    ASSERT_NE(handle, 0u);
    EXPECT_TRUE(DeregisterEventSource(handle));
    EXPECT_FALSE(ReportEvent(handle, EVENTLOG_INFORMATION_TYPE, 0, 1, {}));
    EXPECT_FALSE(DeregisterEventSource(handle));
    EXPECT_TRUE(recorder.Events().empty());
}

TEST(EventLogTest, RecordersNestAndRestoreThePreviousSink) {
    TEventLogRecorder outer;
    {
        TEventLogRecorder inner;
        WriteEventLog(EVENTLOG_SUCCESS, 0, "a", {});
        EXPECT_EQ(inner.Events().size(), 1u);
    }
    WriteEventLog(EVENTLOG_SUCCESS, 0, "b", {});
    ASSERT_EQ(outer.Events().size(), 1u);
    EXPECT_EQ(outer.Events()[0].Source, "b");
}

class EventSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        FPrefix.Hives("");
        FPrefix.Install();
    }

    static std::optional<std::vector<std::uint8_t>>
    Value(const std::string& source, const std::string& name, DWORD expectedType) {
        HKEY key = 0;
        const std::string path =
            "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\" + source;
        if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, path, KEY_READ, &key) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        DWORD type = 0;
        DWORD size = 256;
        std::vector<std::uint8_t> data(size);
        const auto status = RegQueryValueEx(key, name, &type, data.data(), &size);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS || type != expectedType) {
            return std::nullopt;
        }
        data.resize(size);
        return data;
    }

    test::TTempPrefix FPrefix;
};

TEST_F(EventSourceTest, WritesMessageFileTypesAndCategories) {
    ASSERT_TRUE(RegisterEventLogSource("Application", "Korvex - Thornet 2", "VXEvents.dll", 7, 2));
    const std::vector<std::uint8_t> file{'V', 'X', 'E', 'v', 'e', 'n', 't',
                                         's', '.', 'd', 'l', 'l', 0};
    EXPECT_EQ(Value("Korvex - Thornet 2", "EventMessageFile", REG_EXPAND_SZ), file);
    EXPECT_EQ(Value("Korvex - Thornet 2", "CategoryMessageFile", REG_EXPAND_SZ), file);
    EXPECT_EQ(Value("Korvex - Thornet 2", "TypesSupported", REG_DWORD),
              (std::vector<std::uint8_t>{7, 0, 0, 0}));
    EXPECT_EQ(Value("Korvex - Thornet 2", "CategoryCount", REG_DWORD),
              (std::vector<std::uint8_t>{2, 0, 0, 0}));
    // Written through to the hive file.
    EXPECT_NE(FPrefix.Read("system.reg").find("Korvex - Thornet 2"), std::string::npos);
}

TEST_F(EventSourceTest, NoCategoryValuesWithoutCategories) {
    ASSERT_TRUE(RegisterEventLogSource("Application", "QEL HiveManager", "", 7, 0));
    EXPECT_EQ(Value("QEL HiveManager", "EventMessageFile", REG_EXPAND_SZ),
              (std::vector<std::uint8_t>{0}));
    EXPECT_FALSE(Value("QEL HiveManager", "CategoryMessageFile", REG_EXPAND_SZ));
    EXPECT_FALSE(Value("QEL HiveManager", "CategoryCount", REG_DWORD));
}

TEST_F(EventSourceTest, AReadOnlyMachineHiveRefuses) {
    std::filesystem::permissions(FPrefix.Dir() / "system.reg",
                                 std::filesystem::perms::owner_read |
                                     std::filesystem::perms::group_read |
                                     std::filesystem::perms::others_read);
    FPrefix.Install();
    EXPECT_FALSE(RegisterEventLogSource("Application", "QEL HiveManager", "", 7, 2));
    EXPECT_FALSE(Value("QEL HiveManager", "TypesSupported", REG_DWORD));
}

// Once the key is open the source is registered, even when no value can be written: here the
// hive file was broken on disk after it loaded, so writes fail while the loaded keys still open.
TEST_F(EventSourceTest, TheResultIsWhetherTheKeyOpenedNotWhetherTheValuesWereWritten) {
    const std::string sourceKey =
        "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\"
        "QEL HiveManager]\r\n";
    struct TCase {
        const char* Name;
        const char* Source;
        bool Result;
    } const cases[] = {
        {"the key is there: it opens", "QEL HiveManager", true},
        {"the key would have to be made", "Korvex - Thornet 2", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        FPrefix.Hives(sourceKey);
        FPrefix.Install();
        FPrefix.Hives(sourceKey + "\"Broken\"=\r\n");
        EXPECT_EQ(RegisterEventLogSource("Application", c.Source, "VXEvents.dll", 7, 2), c.Result);
        EXPECT_FALSE(Value(c.Source, "EventMessageFile", REG_EXPAND_SZ));
        EXPECT_FALSE(Value(c.Source, "CategoryCount", REG_DWORD));
    }
}

TEST(EventSourceNoStoreTest, WithoutARegistryItFails) {
    InstallRegistryStore(nullptr);
    EXPECT_FALSE(RegisterEventLogSource("Application", "kxNet", "", 7, 2));
}

} // namespace
} // namespace vx::win
