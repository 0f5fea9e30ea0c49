#include "platform/Registry.h"
#include "platform/RegistryStore.h"
#include "support/RegCalls.h"
#include "support/TempPrefix.h"

#include <gtest/gtest.h>

namespace vx::win {
namespace {

using test::QueryText;
using test::SetText;

// A 64-bit machine: the process's own (32-bit) view reads HKLM\Software through
// Wow6432Node; classes are merged from machine and user.
class RegistryViews : public testing::Test {
protected:
    void SetUp() override {
        FPrefix.Hives("[HKEY_LOCAL_MACHINE\\Software\\Maker]\r\n\"Where\"=\"64\"\r\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Maker]\r\n\"Where\"=\"32\"\r\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.txt]\r\n@=\"machine\"\r\n"
                      "\"OnlyMachine\"=\"m\"\r\n"
                      "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.doc]\r\n"
                      "[HKEY_LOCAL_MACHINE\\System\\Setup]\r\n\"Where\"=\"system\"\r\n",
                      "[HKEY_CURRENT_USER\\Software\\Classes\\.txt]\r\n@=\"user\"\r\n"
                      "[HKEY_CURRENT_USER\\Software\\Classes\\.mine]\r\n"
                      "[HKEY_CURRENT_USER\\Environment]\r\n\"Who\"=\"me\"\r\n");
        FPrefix.Write("userdef.reg",
                      std::string(test::TTempPrefix::Header) +
                          "[HKEY_USERS\\.DEFAULT\\Environment]\r\n\"Who\"=\"default\"\r\n");
        FPrefix.Install();
    }
    test::TTempPrefix FPrefix;
};

TEST_F(RegistryViews, TheProcessViewIsRedirectedAndTheNativeViewIsNot) {
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "Software\\Maker", "Where"), "32");
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "Software\\Maker", "Where", KEY_WOW64_32KEY), "32");
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "Software\\Maker", "Where", KEY_WOW64_64KEY), "64");
    // Outside Software, and for the shared classes, both views agree.
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "System\\Setup", "Where"), "system");
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt", ""), "machine");
}

TEST_F(RegistryViews, AKeyOpenedInAViewKeepsItForRelativeOpens) {
    HKEY software = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software", KEY_READ | KEY_WOW64_64KEY, &software),
              ERROR_SUCCESS);
    EXPECT_EQ(QueryText(software, "Maker", "Where"), "64");
    RegCloseKey(software);
}

TEST_F(RegistryViews, WritesInTheProcessViewLandInWow6432Node) {
    ASSERT_EQ(SetText(HKEY_LOCAL_MACHINE, "Software\\New", "v", "x"), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\New", "v", KEY_WOW64_64KEY),
              "x");
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "Software\\New", "v", KEY_WOW64_64KEY), std::nullopt);
}

TEST_F(RegistryViews, ClassesRootMergesUserOverMachine) {
    EXPECT_EQ(QueryText(HKEY_CLASSES_ROOT, ".txt", ""), "user");
    EXPECT_EQ(QueryText(HKEY_CLASSES_ROOT, ".TXT", "OnlyMachine"), "m");
    HKEY root = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CLASSES_ROOT, "", KEY_READ, &root), ERROR_SUCCESS);
    std::vector<std::string> names;
    std::string name;
    for (DWORD i = 0; RegEnumKeyEx(root, i, &name) == ERROR_SUCCESS; ++i) {
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{".txt", ".mine", ".doc"}));
    RegCloseKey(root);
}

TEST_F(RegistryViews, ClassesWritesGoWhereTheKeyLives) {
    ASSERT_EQ(SetText(HKEY_CLASSES_ROOT, ".doc", "", "written"), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, "Software\\Classes\\.doc", ""), "written");
    ASSERT_EQ(SetText(HKEY_CLASSES_ROOT, ".mine\\Sub", "", "u"), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, "Software\\Classes\\.mine\\Sub", ""), "u");
}

TEST_F(RegistryViews, UsersHoldsTheDefaultAndTheCurrentUser) {
    HKEY users = 0;
    ASSERT_EQ(RegOpenKeyEx(HKEY_USERS, "", KEY_READ, &users), ERROR_SUCCESS);
    std::vector<std::string> names;
    std::string name;
    for (DWORD i = 0; RegEnumKeyEx(users, i, &name) == ERROR_SUCCESS; ++i) {
        names.push_back(name);
    }
    RegCloseKey(users);
    ASSERT_EQ(names, (std::vector<std::string>{".DEFAULT", TRegistryStore::CurrentUserSid}));
    EXPECT_EQ(QueryText(HKEY_USERS, ".default\\Environment", "Who"), "default");
    EXPECT_EQ(QueryText(HKEY_USERS, names[1] + "\\Environment", "Who"), "me");
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_USERS, "S-1-5-18", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SetText(HKEY_USERS, "S-1-5-18\\X", "v", "x"), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryViews, ARestrictedKeyOpensOnlyForTheRightsItAllows) {
    FPrefix.Install()->RestrictKeyAccess(HKEY_LOCAL_MACHINE, "System\\Setup", KEY_QUERY_VALUE);
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "System\\Setup", KEY_READ, &key),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "system\\setup", 0x20009, &key),
              ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "System\\Setup", KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueEx(key, "Where", nullptr, nullptr, &size), ERROR_SUCCESS);
    RegCloseKey(key);
}

} // namespace
} // namespace vx::win
