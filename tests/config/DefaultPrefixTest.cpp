// The embedded default machine answers every read the program makes of it.
#include "RegFixture.h"
#include "config/ConfigManager.h"
#include "config/Folders.h"
#include "config/MyRegistry.h"
#include "config/RegRead.h"
#include "config/ShellFolder.h"
#include "platform/Prefix.h"
#include "platform/Registry.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace vx::config {
namespace {

namespace fs = std::filesystem;
using namespace vx::win;
using vx::test::TRegFixture;

class DefaultPrefix : public ::testing::Test {
protected:
    // Every value of `key` below `root` (native view) names a folder of the prefix.
    void ExpectFoldersExist(HKEY root, const std::string& key) {
        HKEY opened = 0;
        ASSERT_EQ(RegOpenKeyEx(root, key, KEY_READ | KEY_WOW64_64KEY, &opened), ERROR_SUCCESS);
        std::string name;
        DWORD type = 0;
        std::vector<std::uint8_t> data;
        int count = 0;
        for (DWORD i = 0; RegEnumValue(opened, i, &name, &type, &data) == ERROR_SUCCESS; ++i) {
            const std::string path(reinterpret_cast<const char*>(data.data()));
            const auto mapped = MapWindowsPath(FPrefix.Dir(), path);
            EXPECT_TRUE(mapped && fs::is_directory(*mapped)) << name << " = " << path;
            ++count;
        }
        RegCloseKey(opened);
        EXPECT_GT(count, 0);
    }

    TRegFixture FPrefix{TRegFixture::TCopyOf{VX_DEFAULT_PREFIX}};
};

TEST_F(DefaultPrefix, LoadsWithoutProblemsAsA32BitMachine) {
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\Microsoft", 0));
    EXPECT_TRUE(FPrefix.Store().Problems().empty());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "\\Software\\Wow6432Node\\", 1));
}

TEST_F(DefaultPrefix, ProductIdAndSuiteConfiguration) {
    TMyRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenKeyForReading("SOFTWARE\\Microsoft\\Windows\\CurrentVersion"));
    EXPECT_EQ(registry.GetValueKind("ProductId"), vkString);
    EXPECT_FALSE(registry.ReadStringValue("ProductId").empty());

    TQELConfigManager manager;
    manager.SetProductName("Korvex - Thornet 2");
    std::string lastUpdate;
    std::int32_t fileCount = 0;
    EXPECT_TRUE(manager.ReadString("Welcome", "LastUpdate", lastUpdate));
    EXPECT_FALSE(lastUpdate.empty());
    EXPECT_TRUE(manager.ReadInteger("Welcome", "FileDBCount", fileCount));
    EXPECT_GT(fileCount, 0);
}

TEST_F(DefaultPrefix, BrowserHelperIsRegisteredWithAnExistingFile) {
    const std::string clsid = "{6A1F3C92-0D4E-4B7A-9E21-7C55D0A3B814}";
    HKEY key = 0;
    ASSERT_EQ(
        RegOpenKeyEx(HKEY_CLASSES_ROOT, "\\CLSID\\" + clsid + "\\InprocServer32\\", KEY_READ, &key),
        ERROR_SUCCESS);
    DWORD type = 0;
    std::uint8_t data[512] = {};
    DWORD size = sizeof data - 1;
    ASSERT_EQ(RegQueryValueEx(key, "", &type, data, &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, REG_SZ);
    const std::string helper(reinterpret_cast<const char*>(data));
    const auto mapped = MapWindowsPath(FPrefix.Dir(), helper);
    EXPECT_TRUE(mapped && fs::is_regular_file(*mapped)) << helper;

    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE,
                             "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser "
                             "Helper Objects\\" +
                                 clsid,
                             2));
}

TEST_F(DefaultPrefix, FolderValuesNameFoldersOfThePrefix) {
    const std::string shellFolders =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    ExpectFoldersExist(HKEY_LOCAL_MACHINE, shellFolders);
    ExpectFoldersExist(HKEY_CURRENT_USER, shellFolders);

    for (const int csidl : {CSIDL_DESKTOP,
                            CSIDL_PROGRAMS,
                            CSIDL_PERSONAL,
                            CSIDL_FAVORITES,
                            CSIDL_STARTUP,
                            CSIDL_RECENT,
                            CSIDL_SENDTO,
                            CSIDL_STARTMENU,
                            CSIDL_MYDOCUMENTS,
                            CSIDL_MYMUSIC,
                            CSIDL_MYVIDEO,
                            CSIDL_DESKTOPDIRECTORY,
                            CSIDL_NETHOOD,
                            CSIDL_FONTS,
                            CSIDL_TEMPLATES,
                            CSIDL_COMMON_STARTMENU,
                            CSIDL_COMMON_PROGRAMS,
                            CSIDL_COMMON_STARTUP,
                            CSIDL_COMMON_DESKTOPDIRECTORY,
                            CSIDL_APPDATA,
                            CSIDL_PRINTHOOD,
                            CSIDL_LOCAL_APPDATA,
                            CSIDL_COMMON_APPDATA,
                            CSIDL_WINDOWS,
                            CSIDL_SYSTEM,
                            CSIDL_PROFILE,
                            CSIDL_COMMON_TEMPLATES,
                            CSIDL_COMMON_DOCUMENTS,
                            CSIDL_COMMON_MUSIC,
                            CSIDL_COMMON_VIDEO,
                            CSIDL_PROFILES}) {
        EXPECT_FALSE(GetShellFolder(csidl).empty()) << "CSIDL " << csidl;
    }
    EXPECT_EQ(GetShellFolder(CSIDL_PROFILE), "C:\\Users\\User");
    EXPECT_EQ(GetSpecialFolder(CSIDL_PROGRAM_FILES), "C:\\Program Files");
    EXPECT_EQ(GetSpecialFolder(CSIDL_COMMON_FAVORITES), "C:\\Users\\Public\\Favorites");
    EXPECT_EQ(GetControlPanelFolder("", GetWindowsFolder()), "C:\\Windows\\Control Panel");
    for (const std::string& path : {GetWindowsFolder(), GetSystemFolder()}) {
        const auto mapped = MapWindowsPath(FPrefix.Dir(), path);
        EXPECT_TRUE(mapped && fs::is_directory(*mapped)) << path;
    }
}

} // namespace
} // namespace vx::config
