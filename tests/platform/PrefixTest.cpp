#include "platform/Prefix.h"

#include "platform/Exception.h"
#include "support/TempPrefix.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

namespace fs = std::filesystem;

class PrefixPaths : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(FPrefix.Dir() / "drive_c/Windows/System32");
        std::ofstream(FPrefix.Dir() / "drive_c/Windows/System32/Helper.DLL") << "x";
    }
    test::TTempPrefix FPrefix;
};

TEST_F(PrefixPaths, MapsDrivesAndMatchesExistingComponentsWithoutCase) {
    const auto& p = FPrefix.Dir();
    struct {
        const char* Windows;
        fs::path Expected;
    } const cases[] = {
        {"C:\\VXUpdate.log", p / "drive_c/VXUpdate.log"},
        {"c:\\WINDOWS\\system32\\helper.dll", p / "drive_c/Windows/System32/Helper.DLL"},
        {"C:/Windows/New\\Sub", p / "drive_c/Windows/New/Sub"},
        {"D:\\a\\B", p / "drive_d/a/B"},
        {"C:\\Windows\\.\\\\System32", p / "drive_c/Windows/System32"},
        {"C:", p / "drive_c"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MapWindowsPath(p, c.Windows), c.Expected) << c.Windows;
    }
}

TEST_F(PrefixPaths, PathsWithoutADriveOrClimbingOutHaveNoMapping) {
    for (const char* path : {"", "Windows\\x", "\\\\server\\share", "1:\\x", "C:x",
                             "C:\\Windows\\..\\..\\etc\\passwd"}) {
        EXPECT_EQ(MapWindowsPath(FPrefix.Dir(), path), std::nullopt) << path;
    }
}

TEST_F(PrefixPaths, CreationCopiesTheTemplateButNeverOverwrites) {
    const auto templ = FPrefix.Dir() / "template";
    fs::create_directories(templ / "drive_c");
    std::ofstream(templ / "system.reg") << "template";
    const auto target = FPrefix.Dir() / "made/prefix";
    EXPECT_TRUE(EnsurePrefix(target, templ));
    EXPECT_TRUE(fs::exists(target / "system.reg"));
    EXPECT_TRUE(fs::is_directory(target / "drive_c"));

    std::ofstream(target / "system.reg") << "mine";
    EXPECT_FALSE(EnsurePrefix(target, templ));
    std::ifstream in(target / "system.reg");
    std::string text;
    in >> text;
    EXPECT_EQ(text, "mine");
}

TEST_F(PrefixPaths, MissingFoldersGiveClearErrors) {
    const auto missing = FPrefix.Dir() / "nothing";
    EXPECT_THROW(EnsurePrefix(FPrefix.Dir() / "new", missing), Exception);
    EXPECT_FALSE(fs::exists(FPrefix.Dir() / "new"));
    try {
        RequirePrefix(missing);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find(missing.string()), std::string::npos);
    }
    EXPECT_NO_THROW(RequirePrefix(FPrefix.Dir()));
}

TEST(PrefixLocation, FollowsTheEnvironment) {
    const char* saved = std::getenv("VXTRAY_PREFIX");
    const std::string keep = saved ? saved : "";
    ::setenv("VXTRAY_PREFIX", "/tmp/some-prefix", 1);
    EXPECT_EQ(ResolvePrefixDir(), fs::path("/tmp/some-prefix"));
    ::unsetenv("VXTRAY_PREFIX");
    ::setenv("XDG_DATA_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(ResolvePrefixDir(), fs::path("/tmp/xdg/korvex-thornet-2/prefix"));
    ::unsetenv("XDG_DATA_HOME");
    if (saved) {
        ::setenv("VXTRAY_PREFIX", keep.c_str(), 1);
    }
}

} // namespace
} // namespace vx::win
