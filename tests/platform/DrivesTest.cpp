#include "platform/Drives.h"

#include "platform/Prefix.h"
#include "support/TempPrefix.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

namespace fs = std::filesystem;

// Drives C, D, E and Z, typed and labelled as a Wine prefix does it.
class DrivesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* drive : {"drive_c", "drive_d", "drive_e", "drive_z"}) {
            fs::create_directories(FPrefix.Dir() / drive);
        }
        FPrefix.Hives("[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n"
                      "\"d:\"=\"cdrom\"\r\n\"E:\"=\"Network\"\r\n\"z:\"=\"something\"\r\n"
                      "\"c:\"=dword:00000005\r\n");
        FPrefix.Install();
        FPrefix.Write("drive_c/.windows-label", "SYSTEM\n");
        FPrefix.Write("drive_c/.windows-serial", "1a2b3c4d\n");
        FPrefix.Write("drive_d/.windows-serial", "not hex");
        FPrefix.Write("drive_e/.windows-serial", "123456789");
    }

    test::TTempPrefix FPrefix;
};

TEST_F(DrivesTest, PresentLettersAreTheDriveFolders) {
    EXPECT_EQ(GetLogicalDrives(), (1U << 2) | (1U << 3) | (1U << 4) | (1U << 25));
}

TEST_F(DrivesTest, TypesFollowThePrefix) {
    struct TCase {
        const char* Root;
        UINT Type;
    };
    const std::vector<TCase> cases{
        {"C:\\", DRIVE_FIXED}, // a value that is not text does not count
        {"d:", DRIVE_CDROM},       {"E", DRIVE_REMOTE},
        {"Z:/", DRIVE_UNKNOWN},    {"F:\\", DRIVE_NO_ROOT_DIR}, // no folder
        {"", DRIVE_NO_ROOT_DIR},   {"C:\\Windows", DRIVE_NO_ROOT_DIR},
        {"1:", DRIVE_NO_ROOT_DIR},
    };
    for (const TCase& testCase : cases) {
        EXPECT_EQ(GetDriveTypeA(testCase.Root), testCase.Type) << testCase.Root;
    }
}

TEST_F(DrivesTest, VolumeLabelAndSerialComeFromTheDrivesFiles) {
    struct TCase {
        const char* Root;
        bool Present;
        const char* Label;
        DWORD Serial;
    };
    const std::vector<TCase> cases{
        {"C:\\", true, "SYSTEM", 0x1A2B3C4D},
        {"D:\\", true, "", 0}, // not a number
        {"E:\\", true, "", 0}, // more than 32 bits
        {"Z:\\", true, "", 0}, // no files
        {"F:\\", false, "", 0},
    };
    for (const TCase& testCase : cases) {
        std::string label = "unchanged";
        DWORD serial = 7;
        EXPECT_EQ(GetVolumeInformationA(testCase.Root, label, serial), testCase.Present)
            << testCase.Root;
        if (testCase.Present) {
            EXPECT_EQ(label, testCase.Label) << testCase.Root;
            EXPECT_EQ(serial, testCase.Serial) << testCase.Root;
        }
    }
}

TEST(DrivesWithoutPrefix, NoDriveIsPresent) {
    const fs::path current = CurrentPrefixDir();
    SetCurrentPrefixDir({});
    EXPECT_EQ(GetLogicalDrives(), 0U);
    EXPECT_EQ(GetDriveTypeA("C:\\"), DRIVE_NO_ROOT_DIR);
    SetCurrentPrefixDir(current);
}

} // namespace
} // namespace vx::win
