#include "platform/RegistryStore.h"

#include "RegTextCases.h"
#include "platform/Registry.h"
#include "platform/RegistryStoreImpl.h"
#include "support/CaseName.h"
#include "support/RegCalls.h"
#include "support/TempPrefix.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <thread>
#include <utility>
#include <vector>

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

struct TStoredValue {
    DWORD Type = REG_NONE;
    std::string Data;
    bool operator==(const TStoredValue&) const = default;
};

LSTATUS SetValue(HKEY root, std::string_view path, std::string_view name,
                 const TStoredValue& value) {
    TKeyHandle key;
    if (const auto status = RegCreateKeyEx(root, path, KEY_ALL_ACCESS, key.Receive());
        status != ERROR_SUCCESS) {
        return status;
    }
    return RegSetValueEx(key.Get(), name, value.Type,
                         reinterpret_cast<const std::uint8_t*>(value.Data.data()),
                         static_cast<DWORD>(value.Data.size()));
}

std::optional<TStoredValue> QueryValue(HKEY root, std::string_view path, std::string_view name) {
    TKeyHandle key;
    TStoredValue value;
    DWORD size = 0;
    if (RegOpenKeyEx(root, path, KEY_READ, key.Receive()) != ERROR_SUCCESS ||
        RegQueryValueEx(key.Get(), name, &value.Type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.Data.resize(size);
    if (RegQueryValueEx(key.Get(), name, nullptr,
                        reinterpret_cast<std::uint8_t*>(value.Data.data()),
                        &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// The quoted form a hand-edited file may give a REG_SZ: any bytes up to the line's end.
std::optional<std::string> HandQuoted(const std::string& data) {
    if (data.empty() || data.back() != '\0' || data.find('\n') != std::string::npos) {
        return std::nullopt;
    }
    std::string line = "\"";
    for (const char c : data.substr(0, data.size() - 1)) {
        if (c == '\\' || c == '"') {
            line += '\\';
        }
        line += c;
    }
    return line + '"';
}

class RegistryStoreText : public RegistryStore,
                          public testing::WithParamInterface<test::TRegTextCase> {};

// Each store stands for another process: the one that makes the unrelated write reads the
// hive from the file and writes all of it back.
TEST_P(RegistryStoreText, SurvivesAnUnrelatedWriteByteForByte) {
    const std::string& data = GetParam().Data;
    const std::string key = "Software\\Maker\\Texts";
    std::vector<std::pair<std::string, TStoredValue>> values;
    for (const DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        values.emplace_back("set " + std::to_string(type), TStoredValue{type, data});
    }
    if (const auto quoted = HandQuoted(data)) {
        FPrefix.Hives("[HKEY_LOCAL_MACHINE\\" + key + "]\r\n\"hand\"=" + *quoted + "\r\n");
        values.emplace_back("hand", TStoredValue{REG_SZ, data});
    }
    FPrefix.Install();
    for (const auto& [name, value] : values) {
        if (name != "hand") {
            ASSERT_EQ(SetValue(HKEY_LOCAL_MACHINE, key, name, value), ERROR_SUCCESS) << name;
        }
    }
    FPrefix.Install();
    ASSERT_EQ(SetText(HKEY_LOCAL_MACHINE, "Software\\B", "other", "1"), ERROR_SUCCESS);
    FPrefix.Install();
    for (const auto& [name, value] : values) {
        EXPECT_EQ(QueryValue(HKEY_LOCAL_MACHINE, key, name), value) << name;
    }
    EXPECT_TRUE(FPrefix.Problems().empty());
}

INSTANTIATE_TEST_SUITE_P(Texts, RegistryStoreText, testing::ValuesIn(test::AwkwardRegTexts()),
                         vx::test::CaseName{});

TEST(RegistryWithoutStore, EveryCallAnswersBadDatabase) {
    InstallRegistryStore(nullptr);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_READ, &key), ERROR_BADDB);
}

} // namespace
} // namespace vx::win
