#include "config/ConfigManager.h"

#include "RegFixture.h"
#include "config/MultiConfigReader.h"
#include "platform/Exception.h"
#include "platform/RegistryStore.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace vx::config {
namespace {

using namespace vx::win;
using vx::test::HexUtf16;
using vx::test::TRegFixture;

const std::string WelcomeKey = "Software\\Qelvane Limited\\Korvex - Thornet 2\\Welcome";

// A hive text with the Welcome section below `root` holding `values` (lines of .reg text).
std::string Welcome(const std::string& root, const std::string& values) {
    return "[" + root + "\\" + WelcomeKey + "]\r\n" + values;
}

class ConfigManagerReads : public ::testing::Test {
protected:
    ConfigManagerReads() { FManager.SetProductName("Korvex - Thornet 2"); }
    TQELConfigManager FManager;
};

struct TRootCase {
    const char* Name;
    std::string Machine; // values of the machine's Welcome section
    std::string User;    // values of the user's Welcome section
    std::uint8_t Preference;
    bool IntegerFound;
    std::int32_t Integer;
    bool TextFound;
    std::string Text;
};

TEST_F(ConfigManagerReads, MachineOrUserWinsByPreferenceAndType) {
    const std::string expand = "hex(2):" + HexUtf16(std::string("%TEMP%\0", 7));
    const TRootCase cases[] = {
        {"machine wins", "\"FileDBCount\"=dword:00000007\r\n\"LastUpdate\"=\"machine\"\r\n",
         "\"FileDBCount\"=dword:00000009\r\n\"LastUpdate\"=\"user\"\r\n", 1, true, 7, true,
         "machine"},
        {"user only", "", "\"FileDBCount\"=dword:00000009\r\n\"LastUpdate\"=\"user\"\r\n", 1, true,
         9, true, "user"},
        {"expand strings do not count", "\"LastUpdate\"=" + expand + "\r\n",
         "\"LastUpdate\"=" + expand + "\r\n", 1, false, -5, false, "keep"},
        {"machine number, user text", "\"LastUpdate\"=dword:00000001\r\n",
         "\"LastUpdate\"=\"user text\"\r\n", 1, false, -5, true, "user text"},
        {"machine text, user number", "\"FileDBCount\"=\"12\"\r\n",
         "\"FileDBCount\"=dword:0000000c\r\n", 1, true, 12, false, "keep"},
        {"all ones reads as -1", "\"FileDBCount\"=dword:ffffffff\r\n", "", 1, true, -1, false,
         "keep"},
        {"qword does not count", "\"FileDBCount\"=hex(b):07,00,00,00,00,00,00,00\r\n", "", 1, false,
         -5, false, "keep"},
        {"user preferred", "\"FileDBCount\"=dword:00000007\r\n\"LastUpdate\"=\"machine\"\r\n",
         "\"FileDBCount\"=dword:00000009\r\n\"LastUpdate\"=\"user\"\r\n", 0, true, 9, true, "user"},
        {"text up to its first NUL",
         "\"LastUpdate\"=hex(1):" + HexUtf16(std::string("ab\0cd\0", 6)) + "\r\n", "", 1, false, -5,
         true, "ab"},
        {"nothing anywhere", "", "", 1, false, -5, false, "keep"},
    };
    for (const TRootCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TRegFixture prefix(Welcome("HKEY_LOCAL_MACHINE", c.Machine),
                           Welcome("HKEY_CURRENT_USER", c.User));
        FManager.SetRootPreference(c.Preference);
        std::int32_t number = -5;
        std::string text = "keep";
        EXPECT_EQ(FManager.ReadInteger("Welcome", "FileDBCount", number), c.IntegerFound);
        EXPECT_EQ(number, c.Integer);
        EXPECT_EQ(FManager.ReadString("Welcome", "LastUpdate", text), c.TextFound);
        EXPECT_EQ(text, c.Text);
    }
}

TEST_F(ConfigManagerReads, KeyAndRootOrder) {
    EXPECT_EQ(FManager.GetConfigKey(), "\\Software\\Qelvane Limited\\Korvex - Thornet 2\\");
    EXPECT_EQ(FManager.CompanyName(), "Qelvane Limited");
    EXPECT_EQ(FManager.RootPreference(), 1);
    EXPECT_EQ(FManager.GetRootOrder(),
              (std::array<HKEY, 2>{HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}));
    FManager.SetRootPreference(0);
    EXPECT_EQ(FManager.GetRootOrder(),
              (std::array<HKEY, 2>{HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}));
}

TEST(ConfigManagerRedirection, ReadsTheProcessesOwnView) {
    TRegFixture prefix("[HKEY_LOCAL_MACHINE\\" + WelcomeKey + "]\r\n\"LastUpdate\"=\"native\"\r\n" +
                       "\r\n[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Qelvane Limited\\" +
                       "Korvex - Thornet 2\\Welcome]\r\n\"LastUpdate\"=\"redirected\"\r\n");
    TQELConfigManager manager;
    manager.SetProductName("Korvex - Thornet 2");
    std::string text;
    ASSERT_TRUE(manager.ReadString("Welcome", "LastUpdate", text));
    EXPECT_EQ(text, "redirected");
}

TEST(ConfigManagerNotification, HandlersRunOnceInOrderOnlyForAChange) {
    TQELConfigManager manager;
    EXPECT_EQ(manager.ProductName(), "");
    std::vector<int> calls;
    manager.AddUpdateHandler([&] { calls.push_back(1); });
    manager.AddUpdateHandler([&] { calls.push_back(2); });
    manager.AddUpdateHandler([&] { calls.push_back(1); }); // duplicates are kept

    manager.SetProductName("");
    EXPECT_TRUE(calls.empty()) << "the same (empty) name notifies nobody";
    manager.SetProductName("Korvex - Thornet 2");
    EXPECT_EQ(calls, (std::vector<int>{1, 2, 1}));
    manager.SetProductName("Korvex - Thornet 2");
    EXPECT_EQ(calls.size(), 3u);
    manager.SetProductName("korvex - thornet 2"); // case-sensitive comparison
    EXPECT_EQ(calls.size(), 6u);
    EXPECT_EQ(manager.ProductName(), "korvex - thornet 2");
}

TEST(ProcessConfigManager, CreatedWithTheTitleAndFreed) {
    FreeConfigManager();
    EXPECT_THROW(ConfigManager(), vx::Exception);
    CreateConfigManager("VXTray");
    EXPECT_EQ(ConfigManager().ProductName(), "VXTray");
    int notified = 0;
    ConfigManager().AddUpdateHandler([&] { ++notified; });
    ConfigManager().SetProductName("Korvex - Thornet 2");
    EXPECT_EQ(notified, 1);
    CreateConfigManager("Other");
    EXPECT_EQ(ConfigManager().ProductName(), "Korvex - Thornet 2") << "the first instance stays";

    TRegFixture prefix(Welcome("HKEY_LOCAL_MACHINE", "\"LastUpdate\"=\"2026-12-01 10:00\"\r\n"));
    std::string text;
    EXPECT_TRUE(ConfigManager().ReadString("Welcome", "LastUpdate", text));
    EXPECT_EQ(text, "2026-12-01 10:00");
    FreeConfigManager();
    EXPECT_THROW(ConfigManager(), vx::Exception);
}

TEST(ConfigManagerThreads, ReadsRunConcurrentlyWithTheirOwnReaders) {
    TRegFixture prefix(Welcome("HKEY_LOCAL_MACHINE", "\"FileDBCount\"=dword:00000007\r\n"),
                       Welcome("HKEY_CURRENT_USER", "\"LastUpdate\"=\"user\"\r\n"));
    TQELConfigManager manager;
    manager.SetProductName("Korvex - Thornet 2");
    std::vector<std::thread> readers;
    std::vector<int> failures(4, 0);
    for (std::size_t t = 0; t < failures.size(); ++t) {
        readers.emplace_back([&manager, &failures, t] {
            for (int i = 0; i < 200; ++i) {
                std::string text;
                std::int32_t number = 0;
                if (!manager.ReadString("Welcome", "LastUpdate", text) || text != "user" ||
                    !manager.ReadInteger("Welcome", "FileDBCount", number) || number != 7) {
                    ++failures[t];
                }
            }
        });
    }
    for (std::thread& reader : readers) {
        reader.join();
    }
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}

// HKEY_USERS: each hive of UserHives is searched and the last one holding the value wins.
class UserHiveReads : public ::testing::Test {
protected:
    UserHiveReads() {
        FPrefix.WriteHive("userdef.reg", "[HKEY_USERS\\.DEFAULT\\Software\\X]\r\n"
                                         "\"Both\"=\"default user\"\r\n"
                                         "\"DefaultOnly\"=dword:00000005\r\n");
        InitUserHives();
    }
    ~UserHiveReads() override { FreeUserHives(); }

    TRegFixture FPrefix{"", "[HKEY_CURRENT_USER\\Software\\X]\r\n\"Both\"=\"current user\"\r\n"};
};

TEST_F(UserHiveReads, UserHivesListsTheSubkeysOfHkeyUsers) {
    EXPECT_EQ(UserHives(), (std::vector<std::string>{".DEFAULT", TRegistryStore::CurrentUserSid}));
    FreeUserHives();
    EXPECT_TRUE(UserHives().empty());
}

TEST_F(UserHiveReads, TheLastHiveHoldingTheValueWins) {
    TMultiConfigReader reader;
    EXPECT_EQ(reader.AddRoot(HKEY_USERS), 0u);
    EXPECT_EQ(reader.RootCount(), 1u);
    reader.AddKeyPath("\\Software\\X");

    std::string text;
    ASSERT_TRUE(reader.ReadString("Both", text));
    EXPECT_EQ(text, "current user");
    std::int32_t number = 0;
    ASSERT_TRUE(reader.ReadInteger("DefaultOnly", number));
    EXPECT_EQ(number, 5);
    EXPECT_FALSE(reader.ReadInteger("Both", number));
}

TEST_F(UserHiveReads, FirstRootAddedWinsAndTheLastKeyPathWithinARoot) {
    FPrefix.WriteHive("system.reg",
                      "[HKEY_LOCAL_MACHINE\\Software\\X]\r\n\"Both\"=\"machine x\"\r\n"
                      "\r\n[HKEY_LOCAL_MACHINE\\Software\\Y]\r\n\"Both\"=\"machine y\"\r\n");
    std::string text;
    EXPECT_TRUE(MultiReadString({HKEY_LOCAL_MACHINE, HKEY_USERS},
                                {"\\Software\\X", "\\Software\\Y"}, "Both", text));
    EXPECT_EQ(text, "machine y");
    EXPECT_TRUE(MultiReadString({HKEY_USERS, HKEY_LOCAL_MACHINE}, {"\\Software\\X"}, "Both", text));
    EXPECT_EQ(text, "current user");
    text = "keep";
    EXPECT_FALSE(MultiReadString({}, {"\\Software\\X"}, "Both", text));
    EXPECT_FALSE(MultiReadString({HKEY_LOCAL_MACHINE}, {}, "Both", text));
    EXPECT_EQ(text, "keep");
}

} // namespace
} // namespace vx::config
