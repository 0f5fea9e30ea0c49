#include "housekeeping/Tweaks.h"

#include "TweaksHive.h"
#include "support/CaseName.h"
#include "support/TempPrefix.h"

#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace vx::housekeeping {
namespace {

using test::TweaksHive;

struct TIntegerCase {
    const char* Name;
    std::string Own;    // value lines under the executable's own key
    std::string Shared; // and under the shared key
    std::optional<std::int32_t> Found;
};

class ReadTweakIntegerTest : public ::testing::TestWithParam<TIntegerCase> {};

TEST_P(ReadTweakIntegerTest, OwnKeyFirstThenSharedKeyOnlyDwordsCount) {
    const TIntegerCase& testCase = GetParam();
    vx::test::TTempPrefix prefix;
    prefix.Hives(TweaksHive(testCase.Own, testCase.Shared));
    prefix.Install();

    std::int32_t delay = 15;
    EXPECT_EQ(ReadTweakInteger("TempFolderCleanDelay", delay), testCase.Found.has_value());
    EXPECT_EQ(delay, testCase.Found.value_or(15)) << "untouched when nothing was found";
}

const TIntegerCase IntegerCases[] = {
    {"own key wins", "\"TempFolderCleanDelay\"=dword:00000007",
     "\"TempFolderCleanDelay\"=dword:00000009", 7},
    {"shared key alone", "", "\"TempFolderCleanDelay\"=dword:00000009", 9},
    {"own key without the value", "\"Other\"=dword:00000007",
     "\"TempFolderCleanDelay\"=dword:00000009", 9},
    {"text is ignored", "\"TempFolderCleanDelay\"=\"30\"", "", std::nullopt},
    {"text under the own key falls back", "\"TempFolderCleanDelay\"=\"30\"",
     "\"TempFolderCleanDelay\"=dword:00000009", 9},
    {"binary is ignored", "", "\"TempFolderCleanDelay\"=hex:1e,00,00,00", std::nullopt},
    {"value names ignore case", "", "\"tempfoldercleandelay\"=dword:00000009", 9},
    {"signed", "", "\"TempFolderCleanDelay\"=dword:ffffffff", -1},
    {"missing", "", "", std::nullopt},
    // Data longer than 32 bits cannot be read as a number; start-up must not stop on it.
    {"overlong dword counts as missing", "\"TempFolderCleanDelay\"=hex(4):01,02,03,04,05",
     "\"TempFolderCleanDelay\"=dword:00000009", 9},
};
INSTANTIATE_TEST_SUITE_P(Rows, ReadTweakIntegerTest, ::testing::ValuesIn(IntegerCases),
                         vx::test::CaseName{});

TEST(ReadTweakIntegerKeys, OnlyTheMachinesTweaksOfThisExecutableAndTheSharedOnesCount) {
    vx::test::TTempPrefix prefix;
    prefix.Hives("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qelvane Limited\\Tweaks\\VXOther.exe]\r\n"
                 "\"TempFolderCleanDelay\"=dword:00000007\r\n\r\n"
                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qelvane Limited\\Tweaks\\Sub]\r\n"
                 "\"TempFolderCleanDelay\"=dword:00000008\r\n",
                 "[HKEY_CURRENT_USER\\SOFTWARE\\Qelvane Limited\\Tweaks]\r\n"
                 "\"TempFolderCleanDelay\"=dword:00000009\r\n");
    prefix.Install();
    std::int32_t delay = 15;
    EXPECT_FALSE(ReadTweakInteger("TempFolderCleanDelay", delay));
    EXPECT_EQ(delay, 15);
}

// A 64-bit machine: the tweaks are read in the process's own view, from Wow6432Node.
TEST(ReadTweakIntegerKeys, ReadsTheRedirectedBranchOnA64BitMachine) {
    vx::test::TTempPrefix prefix;
    prefix.Hives("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qelvane Limited\\Tweaks]\r\n"
                 "\"TempFolderCleanDelay\"=dword:00000007\r\n"
                 "\"TempFolderCleanMinimum\"=dword:00000008\r\n\r\n"
                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Qelvane Limited\\Tweaks]\r\n"
                 "\"TempFolderCleanDelay\"=dword:00000009\r\n");
    prefix.Install();
    std::int32_t delay = 15;
    EXPECT_TRUE(ReadTweakInteger("TempFolderCleanDelay", delay));
    EXPECT_EQ(delay, 9);
    std::int32_t minimum = 100;
    EXPECT_FALSE(ReadTweakInteger("TempFolderCleanMinimum", minimum))
        << "the native branch is not the process's view";
    EXPECT_EQ(minimum, 100);
}

struct TByteCase {
    const char* Name;
    std::string Shared;
    std::optional<std::uint8_t> Found;
};

class ReadTweakByteTest : public ::testing::TestWithParam<TByteCase> {};

TEST_P(ReadTweakByteTest, KeepsTheLowEightBits) {
    const TByteCase& testCase = GetParam();
    vx::test::TTempPrefix prefix;
    prefix.Hives(TweaksHive("", testCase.Shared));
    prefix.Install();

    std::uint8_t first = 2;
    EXPECT_EQ(ReadTweakByte("FloppyVolumeInformation", first), testCase.Found.has_value());
    EXPECT_EQ(first, testCase.Found.value_or(2));
}

const TByteCase ByteCases[] = {
    {"zero", "\"FloppyVolumeInformation\"=dword:00000000", 0},
    {"in range", "\"FloppyVolumeInformation\"=dword:00000019", 25},
    {"258 is 2", "\"FloppyVolumeInformation\"=dword:00000102", 2},
    {"256 is 0", "\"FloppyVolumeInformation\"=dword:00000100", 0},
    {"minus one is 255", "\"FloppyVolumeInformation\"=dword:ffffffff", 255},
    {"text is ignored", "\"FloppyVolumeInformation\"=\"0\"", std::nullopt},
    {"missing", "", std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Rows, ReadTweakByteTest, ::testing::ValuesIn(ByteCases),
                         vx::test::CaseName{});

} // namespace
} // namespace vx::housekeeping
