#include "i18n/LanguageText.h"

#include "support/CaseName.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::i18n {
namespace {

using TLines = std::vector<std::string>;
using TBytes = std::vector<std::uint8_t>;

struct TTextCase {
    std::string Name;
    std::string Input;
    std::string Expected;
};

class UnescapeTextTest : public ::testing::TestWithParam<TTextCase> {};

TEST_P(UnescapeTextTest, DecodesLineBreaksThenPercents) {
    std::string text = GetParam().Input;
    UnescapeText(text);
    EXPECT_EQ(text, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, UnescapeTextTest,
                         ::testing::ValuesIn(std::vector<TTextCase>{
                             {"line_break_between_words", "one%0D%0Atwo", "one\r\ntwo"},
                             {"doubled_percent_before_a_break", "%%0D%0A", "%\r\n"},
                             {"lower_case_escape_stays", "one%0d%0atwo", "one%0d%0atwo"},
                             {"mixed_case_escape_stays", "one%0D%0atwo", "one%0D%0atwo"},
                             {"doubled_percent", "50%% done", "50% done"},
                             {"four_percents_become_two", "%%%%", "%%"},
                             {"lone_percent_stays", "100%", "100%"},
                             {"breaks_in_a_row", "%0D%0A%0D%0A", "\r\n\r\n"},
                             {"empty", "", ""},
                         }),
                         test::CaseName{});

struct TBiDiCase {
    std::string Name;
    std::string File;
    TBiDiMode Expected;
};

class ReadBiDiModeTest : public ::testing::TestWithParam<TBiDiCase> {};

TEST_P(ReadBiDiModeTest, ReadsTheFourWordsWithoutRegardToCase) {
    EXPECT_EQ(ReadBiDiMode(TLanguageFile(GetParam().File)), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadBiDiModeTest,
    ::testing::ValuesIn(std::vector<TBiDiCase>{
        {"missing_key", "[Main]\nLanguageName=x\n", TBiDiMode::bdLeftToRight},
        {"lr", "[Main]\nBiDiMode=LR\n", TBiDiMode::bdLeftToRight},
        {"rl", "[Main]\nBiDiMode=RL\n", TBiDiMode::bdRightToLeft},
        {"rlna_lower_case", "[Main]\nBiDiMode=rlna\n", TBiDiMode::bdRightToLeftNoAlign},
        {"rlro", "[main]\nbidimode=RlRo\n", TBiDiMode::bdRightToLeftReadingOnly},
        {"unknown_word", "[Main]\nBiDiMode=RTL\n", TBiDiMode::bdLeftToRight},
        {"empty_value", "[Main]\nBiDiMode=\n", TBiDiMode::bdLeftToRight},
        {"number", "[Main]\nBiDiMode=1\n", TBiDiMode::bdLeftToRight},
    }),
    test::CaseName{});

struct TFontCase {
    std::string Name;
    std::string File;
    TFontSettings Expected;
};

class ReadFontSettingsTest : public ::testing::TestWithParam<TFontCase> {};

TEST_P(ReadFontSettingsTest, ReadsSectionMainWithItsDefaults) {
    EXPECT_EQ(ReadFontSettings(TLanguageFile(GetParam().File)), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadFontSettingsTest,
    ::testing::ValuesIn(std::vector<TFontCase>{
        {"no_main_section", "[Forms]\nx=y\n", {0, "MS Sans Serif", 8, TBiDiMode::bdLeftToRight}},
        {"all_given",
         "[Main]\nFontName=Tahoma\nFontSize=11\nFontCharset=178\nBiDiMode=RL\n",
         {178, "Tahoma", 11, TBiDiMode::bdRightToLeft}},
        {"hexadecimal_size",
         "[Main]\nFontSize=0x0A\n",
         {0, "MS Sans Serif", 10, TBiDiMode::bdLeftToRight}},
        {"size_not_a_number",
         "[Main]\nFontSize=ten\n",
         {0, "MS Sans Serif", 8, TBiDiMode::bdLeftToRight}},
        {"empty_name_is_empty", "[Main]\nFontName=\n", {0, "", 8, TBiDiMode::bdLeftToRight}},
        {"charset_keeps_its_low_byte",
         "[Main]\nFontCharset=0x1CC\n",
         {0xCC, "MS Sans Serif", 8, TBiDiMode::bdLeftToRight}},
    }),
    test::CaseName{});

TEST(WriteFontSettings, ReadsBackAsWritten) {
    for (const TBiDiMode mode :
         {TBiDiMode::bdLeftToRight, TBiDiMode::bdRightToLeft, TBiDiMode::bdRightToLeftNoAlign,
          TBiDiMode::bdRightToLeftReadingOnly}) {
        const TFontSettings font{204, "Tahoma", 9, mode};
        TLanguageFile ini;
        WriteFontSettings(ini, font, true);
        EXPECT_EQ(ReadFontSettings(ini), font);
        EXPECT_TRUE(ini.ReadBool(MainSection, "FontUTF8", false));
    }
}

TEST(LoadMessages, DecodesEscapesOfTheWholeLine) {
    const TLanguageFile ini("[Messages]\n"
                            "Two%%Lines=first%0D%0Asecond\n"
                            "Percent=%%%%\n"
                            "no equals sign%0D%0A\n"
                            "[Other]\nx=%%\n");
    EXPECT_EQ(LoadMessages(ini),
              (TLines{"Two%Lines=first\r\nsecond", "Percent=%%", "no equals sign\r\n"}));
}

TEST(LoadMessages, MissingSectionGivesNoMessages) {
    EXPECT_TRUE(LoadMessages(TLanguageFile("[Main]\nFontUTF8=1\n")).empty());
}

TEST(LoadMessages, Utf8FlagMarksOnlyLinesThatAreNotUtf8) {
    const std::string messages = "[Messages]\nGood=Grüße\nBad=x\xC3(y\n";
    EXPECT_EQ(LoadMessages(TLanguageFile("[Main]\nFontUTF8=1\n" + messages)),
              (TLines{"Good=Grüße", "---Bad=x\xC3(y"}));
    // Without the flag the text is taken in the system's code page as it stands.
    EXPECT_EQ(LoadMessages(TLanguageFile("[Main]\nFontUTF8=0\n" + messages)),
              (TLines{"Good=Grüße", "Bad=x\xC3(y"}));
}

struct THexCase {
    std::string Name;
    std::string Text;
    TBytes Expected;
};

class HexTextToBytesTest : public ::testing::TestWithParam<THexCase> {};

TEST_P(HexTextToBytesTest, TwoDigitsAByteHighFirst) {
    EXPECT_EQ(HexTextToBytes(GetParam().Text), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, HexTextToBytesTest,
                         ::testing::ValuesIn(std::vector<THexCase>{
                             {"bitmap_magic", "424D", {0x42, 0x4D}},
                             {"either_case", "aBcD", {0xAB, 0xCD}},
                             {"odd_digit_count_ends_with_zero", "424", {0x42, 0x00}},
                             {"non_digits_count_as_zero", "G1z ", {0x01, 0x00}},
                             {"empty", "", {}},
                         }),
                         test::CaseName{});

} // namespace
} // namespace vx::i18n
