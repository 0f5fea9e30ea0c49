#include "i18n/LanguageFile.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::i18n {
namespace {

using TLines = std::vector<std::string>;

TEST(LanguageFileParse, LineEndsTrimmingCommentsAndSections) {
    const TLanguageFile ini("ignored=before any section\r\n"
                            "[Main]\r\n"
                            "  LanguageName =  Deutsch \t\r"
                            "; a comment\n"
                            "\x01 Use=Für alle\x02\r\n"
                            "   ;indented comment\n"
                            "\n"
                            "[ Messages ]\n"
                            "Hello=Hallo");
    EXPECT_EQ(ini.ReadSectionValues("Main"), (TLines{"LanguageName=Deutsch", "Use=Für alle"}));
    EXPECT_EQ(ini.ReadString("Messages", "Hello", "-"), "Hallo");
    EXPECT_FALSE(ini.ValueExists("", "ignored"));
    EXPECT_FALSE(ini.SectionExists(""));
}

TEST(LanguageFileParse, LinesWithoutEqualsStayButAreNeverFound) {
    const TLanguageFile ini("[S]\nlonely\n=empty name\nkey=a=b\n[\n");
    EXPECT_EQ(ini.ReadSectionValues("S"), (TLines{"lonely", "=empty name", "key=a=b", "["}));
    EXPECT_EQ(ini.ReadSection("S"), (TLines{"", "key"}));
    EXPECT_EQ(ini.ReadString("S", "lonely", "default"), "default");
    EXPECT_EQ(ini.ReadString("S", "key", ""), "a=b");
    EXPECT_EQ(ini.ReadString("S", "", "default"), "empty name");
}

TEST(LanguageFileParse, QuotesAndEscapesAreKeptAsWritten) {
    const TLanguageFile ini("[S]\nq=\"quoted\"\ne=one%0D%0Atwo %% x\n");
    EXPECT_EQ(ini.ReadString("S", "q", ""), "\"quoted\"");
    EXPECT_EQ(ini.ReadString("S", "e", ""), "one%0D%0Atwo %% x");
}

TEST(LanguageFileParse, CaseInsensitiveAndFirstOccurrenceWins) {
    const TLanguageFile ini("[Dialog.AskPlimmDecisions]\nItem=first\nITEM=second\n"
                            "[dialog.askplimmdecisions]\nItem=other section\nNext=only here\n");
    EXPECT_EQ(ini.ReadString("DIALOG.askPlimmDecisions", "item", ""), "first");
    // The second occurrence of the section is never looked at.
    EXPECT_EQ(ini.ReadString("Dialog.AskPlimmDecisions", "Next", "default"), "default");
}

TEST(LanguageFileParse, EmptyValueIsNotTheDefault) {
    const TLanguageFile ini("[S]\nOldData=\nNewData=x\n");
    EXPECT_EQ(ini.ReadString("S", "OldData", "default"), "");
    EXPECT_EQ(ini.ReadString("S", "NewData", "default"), "x");
    EXPECT_EQ(ini.ReadString("S", "Missing", "default"), "default");
    EXPECT_EQ(ini.ReadString("Missing", "NewData", "default"), "default");
}

TEST(LanguageFileParse, SetTextReplacesContents) {
    TLanguageFile ini("[A]\nx=1\n");
    ini.SetText("[B]\ny=2\n");
    EXPECT_FALSE(ini.SectionExists("A"));
    EXPECT_EQ(ini.ReadInteger("B", "y", 0), 2);
}

TEST(LanguageFileIntegers, ReadsDecimalAndHexOrGivesTheDefault) {
    struct {
        const char* Value; // null: the key is missing
        std::int32_t Expected;
    } const cases[] = {
        {"12", 12},
        {"  12  ", 12},
        {"+7", 7},
        {"-3", -3},
        {"0x0A", 10},
        {"0X0a", 10},
        {"0x1", 1},
        {"0x", 8},
        {"0X", 8},
        {"0xG1", 8},
        {"0x-1", 8},
        {"0xFFFFFFFF", -1},
        {"0x00000000FF", 255},
        {"0x100000000", 8},
        {"2147483647", 2147483647},
        {"2147483648", 8},
        {"-2147483648", INT32_MIN},
        {"-2147483649", 8},
        {"12abc", 8},
        {"1 2", 8},
        {"$10", 8},
        {"-", 8},
        {"", 8},
        {"big", 8},
        {nullptr, 8},
    };
    for (const auto& testCase : cases) {
        const std::string text =
            testCase.Value ? std::string("[Main]\nFontSize=") + testCase.Value : "[Main]";
        EXPECT_EQ(TLanguageFile(text).ReadInteger("Main", "FontSize", 8), testCase.Expected)
            << (testCase.Value ? testCase.Value : "(missing)");
    }
}

TEST(LanguageFileBooleans, NonZeroIsTrueAndNonNumbersGiveTheDefault) {
    const TLanguageFile ini("[Main]\none=1\nzero=0\ntwo=2\nhexzero=0x0\nword=yes\nempty=\n");
    struct {
        const char* Key;
        bool Default;
        bool Expected;
    } const cases[] = {
        {"one", false, true},     {"zero", true, false},     {"two", false, true},
        {"hexzero", true, false}, {"word", true, true},      {"word", false, false},
        {"empty", true, true},    {"missing", false, false}, {"missing", true, true},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(ini.ReadBool("Main", testCase.Key, testCase.Default), testCase.Expected)
            << testCase.Key << " default " << testCase.Default;
    }
}

TEST(LanguageFileWrite, UpdatesTheFirstLineOrAppends) {
    TLanguageFile ini("[Dialog.Generic]\nVerificationShowAgain=old\nverificationshowagain=dup\n");
    ini.WriteString("dialog.generic", "VERIFICATIONSHOWAGAIN", "new");
    ini.WriteString("Dialog.Generic", "Added", "");
    ini.WriteString("Dialog.New", "Instruction", "text");
    EXPECT_EQ(ini.ReadSectionValues("Dialog.Generic"),
              (TLines{"VerificationShowAgain=new", "verificationshowagain=dup", "Added="}));
    EXPECT_EQ(ini.ReadSection("Dialog.New"), (TLines{"Instruction"}));
    EXPECT_EQ(ini.ReadString("Dialog.New", "instruction", ""), "text");
    EXPECT_TRUE(ini.ValueExists("Dialog.Generic", "added"));
}

TEST(LanguageFileWrite, TextReadsBackAsTheSameFile) {
    TLanguageFile ini("[Main]\nFontName=Tahoma\nno equals here\n[Forms]\nFormA=Caption = x\n");
    ini.WriteString("Forms", "FormB", "");
    const TLanguageFile reread(ini.Text());
    EXPECT_EQ(reread.SectionNames(), ini.SectionNames());
    for (const std::string& section : ini.SectionNames()) {
        EXPECT_EQ(reread.ReadSectionValues(section), ini.ReadSectionValues(section)) << section;
    }
    EXPECT_EQ(ini.Text(), "[Main]\r\nFontName=Tahoma\r\nno equals here\r\n\r\n"
                          "[Forms]\r\nFormA=Caption = x\r\nFormB=\r\n\r\n");
}

} // namespace
} // namespace vx::i18n
