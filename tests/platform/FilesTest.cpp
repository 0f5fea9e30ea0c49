#include "platform/Files.h"

#include "platform/Prefix.h"
#include "support/TempPrefix.h"

#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

namespace fs = std::filesystem;

TEST(FilesTest, PathsOfTheProgramMapToLocalFiles) {
    test::TTempPrefix prefix;
    prefix.MakeFolder("C:\\Program Files\\Suite");
    struct TCase {
        const char* Path;
        bool WithPrefix;
        std::optional<fs::path> Expected; // relative to the prefix unless absolute
    };
    const TCase cases[] = {
        {"C:\\Program Files\\Suite\\a.dll", true, "drive_c/Program Files/Suite/a.dll"},
        {"c:\\PROGRAM FILES\\suite", true, "drive_c/Program Files/Suite"},
        {"D:\\x", true, "drive_d/x"},
        {"/usr/lib/x.dll", true, "/usr/lib/x.dll"},
        {"/usr/lib/x.dll", false, "/usr/lib/x.dll"},
        {"C:\\Program Files\\Suite\\a.dll", false, std::nullopt},
        {"a.dll", true, std::nullopt},
        {"\\\\server\\share\\a.dll", true, std::nullopt},
        {"C:\\..\\etc\\passwd", true, std::nullopt},
        {"", true, std::nullopt},
    };
    for (const auto& c : cases) {
        if (c.WithPrefix) {
            prefix.Install();
        } else {
            SetCurrentPrefixDir({});
        }
        const auto local = LocalPath(c.Path);
        ASSERT_EQ(local.has_value(), c.Expected.has_value()) << c.Path;
        if (local) {
            const fs::path expected =
                c.Expected->is_absolute() ? *c.Expected : prefix.Dir() / *c.Expected;
            EXPECT_EQ(*local, expected) << c.Path;
        }
    }
}

TEST(FilesTest, FileExistsForAnythingButFolders) {
    test::TTempPrefix prefix;
    prefix.Install();
    prefix.MakeFolder("C:\\Suite\\folder.dll");
    prefix.Write("drive_c/Suite/helper.dll", "x");
    fs::create_symlink(prefix.Dir() / "drive_c/Suite/helper.dll", prefix.Dir() / "drive_c/link");
    fs::create_symlink(prefix.Dir() / "drive_c/Suite/gone.dll", prefix.Dir() / "drive_c/dangling");
    const std::string native = (prefix.Dir() / "drive_c/Suite/helper.dll").string();
    struct TCase {
        std::string Path;
        bool Exists;
    };
    const TCase cases[] = {
        {"C:\\Suite\\helper.dll", true},
        {"c:\\suite\\HELPER.DLL", true},
        {"C:\\Suite\\folder.dll", false},
        {"C:\\Suite\\missing.dll", false},
        {"C:\\link", true},
        {"C:\\dangling", false},
        {native, true},
        {"helper.dll", false},
        {"%ProgramFiles%\\helper.dll", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileExists(c.Path), c.Exists) << c.Path;
    }
}

TEST(FilesTest, ExecutableFolderIsTheTestsOwnWithADelimiter) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(fs::path(folder + "x").parent_path(),
              fs::read_symlink("/proc/self/exe").parent_path());
}

} // namespace
} // namespace vx::win
