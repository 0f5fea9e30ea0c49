#include "housekeeping/VolumeScan.h"

#include "TweaksHive.h"
#include "support/CaseName.h"
#include "support/TempPrefix.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::housekeeping {
namespace {

// A machine with the drives A (floppy), B, C (labelled), D (CD-ROM) and Z, and the tweak
// lines given.
class TDriveMachine {
public:
    explicit TDriveMachine(const std::string& own, const std::string& shared) {
        for (const char* drive : {"drive_a", "drive_b", "drive_c", "drive_d", "drive_z"}) {
            std::filesystem::create_directories(Prefix.Dir() / drive);
        }
        Prefix.Hives("[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n"
                     "\"a:\"=\"floppy\"\r\n\"d:\"=\"cdrom\"\r\n\r\n" +
                     test::TweaksHive(own, shared));
        Prefix.Install();
        Prefix.Write("drive_c/.windows-label", "SYSTEM\n");
        Prefix.Write("drive_c/.windows-serial", "1a2b3c4d\n");
    }

    vx::test::TTempPrefix Prefix;
};

std::string Letters(const std::vector<TVolumeInformation>& volumes) {
    std::string letters;
    for (const TVolumeInformation& volume : volumes) {
        letters += volume.Letter;
    }
    return letters;
}

struct TFirstDriveCase {
    const char* Name;
    std::string Own;
    std::string Shared;
    const char* Letters;
};

class VolumeScanTest : public ::testing::TestWithParam<TFirstDriveCase> {};

TEST_P(VolumeScanTest, LooksAtThePresentDrivesFromTheTweaksIndexUpToZ) {
    const TFirstDriveCase& testCase = GetParam();
    TDriveMachine machine(testCase.Own, testCase.Shared);
    EXPECT_EQ(VolumeList(), nullptr);

    CreateVolumeList();
    ASSERT_NE(VolumeList(), nullptr);
    EXPECT_EQ(Letters(*VolumeList()), testCase.Letters);

    FreeVolumeList();
    EXPECT_EQ(VolumeList(), nullptr);
}

const TFirstDriveCase FirstDriveCases[] = {
    {"absent is C", "", "", "CDZ"},
    {"zero includes A and B", "", "\"FloppyVolumeInformation\"=dword:00000000", "ABCDZ"},
    {"one", "", "\"FloppyVolumeInformation\"=dword:00000001", "BCDZ"},
    {"twenty-five is Z", "", "\"FloppyVolumeInformation\"=dword:00000019", "Z"},
    {"above twenty-five looks at none", "", "\"FloppyVolumeInformation\"=dword:0000001a", ""},
    {"259 is 3", "", "\"FloppyVolumeInformation\"=dword:00000103", "DZ"},
    {"256 is 0", "", "\"FloppyVolumeInformation\"=dword:00000100", "ABCDZ"},
    {"minus one is 255", "", "\"FloppyVolumeInformation\"=dword:ffffffff", ""},
    {"text is ignored", "", "\"FloppyVolumeInformation\"=\"0\"", "CDZ"},
    {"own key wins", "\"FloppyVolumeInformation\"=dword:00000000",
     "\"FloppyVolumeInformation\"=dword:00000019", "ABCDZ"},
};
INSTANTIATE_TEST_SUITE_P(Rows, VolumeScanTest, ::testing::ValuesIn(FirstDriveCases),
                         vx::test::CaseName{});

TEST(VolumeScan, CollectsEachDrivesTypeAndVolume) {
    TDriveMachine machine("", "");
    const std::vector<TVolumeInformation> volumes = ScanVolumes(0);
    ASSERT_EQ(Letters(volumes), "ABCDZ");
    const struct {
        win::UINT Type;
        const char* Label;
        win::DWORD Serial;
    } expected[] = {
        {win::DRIVE_REMOVABLE, "", 0},
        {win::DRIVE_FIXED, "", 0},
        {win::DRIVE_FIXED, "SYSTEM", 0x1A2B3C4D},
        {win::DRIVE_CDROM, "", 0},
        {win::DRIVE_FIXED, "", 0},
    };
    for (std::size_t index = 0; index < volumes.size(); ++index) {
        SCOPED_TRACE(volumes[index].Letter);
        EXPECT_EQ(volumes[index].DriveType, expected[index].Type);
        EXPECT_TRUE(volumes[index].VolumeRead);
        EXPECT_EQ(volumes[index].VolumeName, expected[index].Label);
        EXPECT_EQ(volumes[index].SerialNumber, expected[index].Serial);
    }
}

} // namespace
} // namespace vx::housekeeping
