#include "platform/RegistryStore.h"

#include "platform/Registry.h"
#include "platform/RegistryStoreImpl.h"
#include "support/RegCalls.h"
#include "support/TempPrefix.h"

#include <filesystem>
#include <sys/stat.h>
#include <thread>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

using test::QueryText;
using test::SetText;

class RegistryStore : public testing::Test {
protected:
    void SetUp() override {
        FPrefix.Hives("[HKEY_LOCAL_MACHINE\\Software\\Maker\\Product]\r\n"
                      "\"Name\"=\"machine\"\r\n"
                      "\"Count\"=dword:00000007\r\n"
                      "\"First\"=\"1\"\r\n"
                      "\"Second\"=\"2\"\r\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Maker\\Product\\B]\r\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Maker\\Product\\a]\r\n",
                      "[HKEY_CURRENT_USER\\Software\\Maker]\r\n\"Name\"=\"user\"\r\n");
    }
    test::TTempPrefix FPrefix;
};

TEST_F(RegistryStore, OpensKeysAndValuesWithoutRegardToCase) {
    FPrefix.Install();
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\maker\\PRODUCT", "name"), "machine");
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "\\Software\\Maker\\Product\\", "Name"), "machine");
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, "Software\\Maker", "Name"), "user");
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "Software\\Maker\\Nothing", "Name"), std::nullopt);
}

TEST_F(RegistryStore, ReportsTypeSizeAndShortBuffers) {
    FPrefix.Install();
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Name", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 8u); // "machine" and its NUL
    std::uint8_t small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(key, "Name", nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    std::uint8_t number[4];
    size = sizeof number;
    EXPECT_EQ(RegQueryValueEx(key, "Count", &type, number, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(number[0], 7);
    EXPECT_EQ(RegQueryValueEx(key, "Missing", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueEx(key, "Name", &type, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryStore, EnumeratesInFileOrder) {
    FPrefix.Install();
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", KEY_READ, &key),
              ERROR_SUCCESS);
    std::vector<std::string> keys;
    std::string name;
    for (DWORD i = 0; RegEnumKeyEx(key, i, &name) == ERROR_SUCCESS; ++i) {
        keys.push_back(name);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"B", "a"}));
    std::vector<std::string> values;
    for (DWORD i = 0; RegEnumValue(key, i, &name, nullptr, nullptr) == ERROR_SUCCESS; ++i) {
        values.push_back(name);
    }
    EXPECT_EQ(values, (std::vector<std::string>{"Name", "Count", "First", "Second"}));
    RegCloseKey(key);
}

TEST_F(RegistryStore, AccessRightsOfTheHandleAreEnforced) {
    FPrefix.Install();
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    std::string name;
    EXPECT_EQ(RegEnumKeyEx(key, 0, &name), ERROR_ACCESS_DENIED);
    const std::uint8_t data[] = "x";
    EXPECT_EQ(RegSetValueEx(key, "v", REG_SZ, data, 2), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
}

TEST_F(RegistryStore, WritesReachTheFileAndAnotherProcess) {
    FPrefix.Install();
    ASSERT_EQ(SetText(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product\\New", "Added", "yes"),
              ERROR_SUCCESS);
    const std::string file = FPrefix.Read("system.reg");
    EXPECT_NE(file.find("[HKEY_LOCAL_MACHINE\\Software\\Maker\\Product\\New]\r\n\"Added\"=\"yes\""),
              std::string::npos)
        << file;
    // The rest of the file is kept as it was.
    EXPECT_NE(file.find("\"Second\"=\"2\""), std::string::npos);

    TRegistryStore other(FPrefix.Dir());
    InstallRegistryStore(std::shared_ptr<TRegistryStore>(&other, [](auto*) {}));
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product\\New", "Added"), "yes");
    InstallRegistryStore(nullptr);
}

TEST_F(RegistryStore, SeesChangesAnotherProcessMadeToTheFile) {
    FPrefix.Install();
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, "Software\\Maker", "Name"), "user");
    FPrefix.Write("user.reg",
                  std::string(test::TTempPrefix::Header) +
                      "[HKEY_CURRENT_USER\\Software\\Maker]\r\n\"Name\"=\"changed\"\r\n");
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, "Software\\Maker", "Name"), "changed");
}

TEST_F(RegistryStore, ConcurrentWritersKeepEachOthersChanges) {
    // Two stores stand for two processes: each re-reads the file under the lock before it
    // writes, so no value is lost.
    TRegistryStore first(FPrefix.Dir());
    TRegistryStore second(FPrefix.Dir());
    constexpr int perWriter = 40;
    auto writer = [](TRegistryStore& store, const std::string& prefix) {
        auto& impl = store.Impl();
        HKEY key = 0;
        ASSERT_EQ(
            impl.Open(HKEY_LOCAL_MACHINE, "Software\\Maker", KEY_ALL_ACCESS, true, &key, nullptr),
            ERROR_SUCCESS);
        for (int i = 0; i < perWriter; ++i) {
            const std::uint8_t data[] = "v";
            ASSERT_EQ(impl.SetValue(key, prefix + std::to_string(i), REG_SZ, data, 2),
                      ERROR_SUCCESS);
        }
    };
    std::thread a(writer, std::ref(first), "a");
    std::thread b(writer, std::ref(second), "b");
    a.join();
    b.join();

    TRegistryStore reader(FPrefix.Dir());
    auto& impl = reader.Impl();
    HKEY key = 0;
    ASSERT_EQ(impl.Open(HKEY_LOCAL_MACHINE, "Software\\Maker", KEY_READ, false, &key, nullptr),
              ERROR_SUCCESS);
    int count = 0;
    while (impl.EnumValue(key, static_cast<DWORD>(count), nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
        ++count;
    }
    EXPECT_EQ(count, 2 * perWriter);
}

TEST_F(RegistryStore, AHiveWithoutWriteBitsRefusesWritesAndStaysUnchanged) {
    ::chmod((FPrefix.Dir() / "system.reg").c_str(), 0444);
    const std::string before = FPrefix.Read("system.reg");
    FPrefix.Install();
    EXPECT_EQ(SetText(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", "Name", "x"),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetText(HKEY_LOCAL_MACHINE, "Software\\Other", "Name", "x"), ERROR_ACCESS_DENIED);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Maker", KEY_ALL_ACCESS, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Maker", KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(FPrefix.Read("system.reg"), before);
    // The user's hive is still writable.
    EXPECT_EQ(SetText(HKEY_CURRENT_USER, "Software\\Maker", "Name", "x"), ERROR_SUCCESS);
}

TEST_F(RegistryStore, AHiveThatDoesNotParseIsReportedAndNeverWritten) {
    const std::string broken = std::string(test::TTempPrefix::Header) +
                               "[HKEY_LOCAL_MACHINE\\Software\\Maker]\r\n\"a\"=dword:zz\r\n";
    FPrefix.Write("system.reg", broken);
    FPrefix.Install();
    ASSERT_EQ(FPrefix.Problems().size(), 1u);
    EXPECT_NE(FPrefix.Problems()[0].find("system.reg:4: "), std::string::npos)
        << FPrefix.Problems()[0];
    EXPECT_EQ(SetText(HKEY_LOCAL_MACHINE, "Software\\Maker", "b", "x"), ERROR_BADDB);
    EXPECT_EQ(FPrefix.Read("system.reg"), broken);
    // Fixed by someone else, the hive is usable again.
    FPrefix.Hives("[HKEY_LOCAL_MACHINE\\Software\\Maker]\r\n");
    EXPECT_EQ(SetText(HKEY_LOCAL_MACHINE, "Software\\Maker", "b", "x"), ERROR_SUCCESS);
    EXPECT_EQ(FPrefix.Problems().size(), 1u);
}

TEST_F(RegistryStore, MissingHiveFilesAreEmptyAndCreatedOnFirstWrite) {
    std::filesystem::remove(FPrefix.Dir() / "user.reg");
    FPrefix.Install();
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, "Software\\Maker", "Name"), std::nullopt);
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, "Software\\Maker", "Name", "new"), ERROR_SUCCESS);
    EXPECT_NE(FPrefix.Read("user.reg").find("\"Name\"=\"new\""), std::string::npos);
}

TEST_F(RegistryStore, DeletesValuesAndTrees) {
    FPrefix.Install();
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Maker", KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTree(key, "product\\b"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTree(key, "Product\\B"), ERROR_FILE_NOT_FOUND);
    HKEY product = 0;
    ASSERT_EQ(RegOpenKeyEx(key, "Product", KEY_ALL_ACCESS, &product), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(product, "first"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(product, "first"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTree(key, "Product"), ERROR_SUCCESS);
    std::string name;
    EXPECT_EQ(RegEnumValue(product, 0, &name, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(product, "Name", nullptr, nullptr, &size), ERROR_KEY_DELETED);
    RegCloseKey(product);
    RegCloseKey(key);
    EXPECT_EQ(FPrefix.Read("system.reg").find("Product"), std::string::npos);
}

TEST(RegistryWithoutStore, EveryCallAnswersBadDatabase) {
    InstallRegistryStore(nullptr);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_READ, &key), ERROR_BADDB);
}

} // namespace
} // namespace vx::win
