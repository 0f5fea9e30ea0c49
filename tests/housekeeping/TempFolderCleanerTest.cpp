#include "housekeeping/TempFolderCleaner.h"

#include "FakePopup.h"
#include "TweaksHive.h"
#include "housekeeping/TempFolderPopup.h"
#include "housekeeping/WindowClass.h"
#include "support/CaseName.h"
#include "support/TempPrefix.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::housekeeping {
namespace {

using test::TweaksHive;

struct TSettingsCase {
    const char* Name;
    std::string Own;
    std::string Shared;
    std::int32_t Delay;
    std::int32_t Minimum;
};

class CleanerStartUpTest : public ::testing::TestWithParam<TSettingsCase> {};

TEST_P(CleanerStartUpTest, ReadsTheSettingsRegistersThePopupClassAndStartsEmpty) {
    const TSettingsCase& testCase = GetParam();
    vx::test::TTempPrefix prefix;
    prefix.Hives(TweaksHive(testCase.Own, testCase.Shared));
    prefix.Install();

    CreateTempFolderCleaner();
    const TTempFolderCleaner* cleaner = TempFolderCleaner();
    ASSERT_NE(cleaner, nullptr);
    EXPECT_EQ(cleaner->Delay, testCase.Delay);
    EXPECT_EQ(cleaner->Minimum, testCase.Minimum);
    EXPECT_FALSE(cleaner->DoNotAskAgain);
    EXPECT_TRUE(cleaner->Names.empty());
    EXPECT_EQ(cleaner->CleanerList.Count(), 0U);

    TWindowClass popupClass;
    ASSERT_TRUE(GetWindowClass("qelFilesTempFolderPopup", popupClass));
    EXPECT_EQ(popupClass.Style, 0U);
    EXPECT_EQ(popupClass.WindowProc, &TempFolderPopupProc);
    EXPECT_EQ(popupClass.IconName, "MAINICON");
    EXPECT_EQ(popupClass.Cursor, 0x7F00U);
    EXPECT_EQ(popupClass.Background, 15U);
    EXPECT_EQ(popupClass.ClassExtra, 0);
    EXPECT_EQ(popupClass.WindowExtra, 0);
    EXPECT_EQ(popupClass.MenuName, "");

    FreeTempFolderCleaner();
    EXPECT_EQ(TempFolderCleaner(), nullptr);
    EXPECT_FALSE(GetWindowClass("qelFilesTempFolderPopup", popupClass));
}

const TSettingsCase SettingsCases[] = {
    {"defaults", "", "", 15, 100},
    {"shared values", "",
     "\"TempFolderCleanDelay\"=dword:0000001e\r\n"
     "\"TempFolderCleanMinimum\"=dword:00000005",
     30, 5},
    {"own delay wins", "\"TempFolderCleanDelay\"=dword:00000003",
     "\"TempFolderCleanDelay\"=dword:0000001e", 3, 100},
    {"delay as text keeps 15", "\"TempFolderCleanDelay\"=\"30\"",
     "\"TempFolderCleanMinimum\"=\"5\"", 15, 100},
};
INSTANTIATE_TEST_SUITE_P(Rows, CleanerStartUpTest, ::testing::ValuesIn(SettingsCases),
                         vx::test::CaseName{});

TEST(CleanerLifecycle, CreatedOnceFreedTwiceHarmlessly) {
    vx::test::TTempPrefix prefix;
    prefix.Install();
    CreateTempFolderCleaner();
    TTempFolderCleaner* cleaner = TempFolderCleaner();
    cleaner->DoNotAskAgain = true;
    cleaner->Names.insert("b");
    cleaner->Names.insert("A");
    cleaner->Names.insert("B");
    EXPECT_EQ(cleaner->Names, (TSortedNameList{"A", "b"})) << "sorted, no duplicates by case";

    CreateTempFolderCleaner();
    EXPECT_EQ(TempFolderCleaner(), cleaner) << "a second creation keeps the state";

    FreeTempFolderCleaner();
    FreeTempFolderCleaner();
    EXPECT_EQ(TempFolderCleaner(), nullptr);

    CreateTempFolderCleaner();
    ASSERT_NE(TempFolderCleaner(), nullptr);
    EXPECT_FALSE(TempFolderCleaner()->DoNotAskAgain) << "a new start begins afresh";
    TWindowClass popupClass;
    EXPECT_TRUE(GetWindowClass(TempFolderPopupClassName, popupClass)) << "registered again";
    FreeTempFolderCleaner();
}

// Entries named by letter; "x" is one that is not on the list.
struct TRemoveCase {
    const char* Name;
    std::string Before;
    char Removed;
    std::string After;
};

class CleanerListRemoveTest : public ::testing::TestWithParam<TRemoveCase> {};

TEST_P(CleanerListRemoveTest, TheLastEntryFillsTheGap) {
    const TRemoveCase& testCase = GetParam();
    std::map<char, std::unique_ptr<TTempFolderFiles>> entries;
    for (const char letter : std::string("abcdx")) {
        entries[letter] =
            std::make_unique<TTempFolderFiles>(std::vector<std::string>{{letter}}, AnswerNo);
    }
    TCleanerList list;
    for (const char letter : testCase.Before) {
        list.Add(entries[letter].get());
    }

    list.Remove(entries[testCase.Removed].get());

    std::string after;
    for (std::size_t index = 0; index < list.Count(); ++index) {
        after += list.Items(index)->Files().front();
    }
    EXPECT_EQ(after, testCase.After);
}

const TRemoveCase RemoveCases[] = {
    {"the only entry", "a", 'a', ""},          {"not the only entry", "a", 'x', "a"},
    {"from an empty list", "", 'x', ""},       {"first of two", "ab", 'a', "b"},
    {"last of two", "ab", 'b', "a"},           {"first of four", "abcd", 'a', "dbc"},
    {"second of four", "abcd", 'b', "adc"},    {"last of four", "abcd", 'd', "abc"},
    {"absent from four", "abcd", 'x', "abcd"},
};
INSTANTIATE_TEST_SUITE_P(Rows, CleanerListRemoveTest, ::testing::ValuesIn(RemoveCases),
                         vx::test::CaseName{});

// The process-wide cleaner on an empty machine, with popups of the registered class.
class CleanerEntries : public ::testing::Test {
protected:
    CleanerEntries() {
        FPrefix.Install();
        CreateTempFolderCleaner();
    }
    ~CleanerEntries() override { FreeTempFolderCleaner(); }

    TCleanerList& List() { return TempFolderCleaner()->CleanerList; }

    vx::test::TTempPrefix FPrefix;
};

TEST_F(CleanerEntries, FindGoesByThePopupWindow) {
    test::TFakePopup firstPopup;
    test::TFakePopup secondPopup;
    TTempFolderFiles first({"a.tmp"}, AnswerNo);
    TTempFolderFiles second({"b.tmp"}, AnswerYes);
    TTempFolderFiles windowless({"c.tmp"}, AnswerYes);
    firstPopup.FillRecord(first.Popup());
    secondPopup.FillRecord(second.Popup());
    List().Add(&first);
    List().Add(&windowless);
    List().Add(&second);

    EXPECT_EQ(List().Find(secondPopup.Handle()), &second);
    EXPECT_EQ(List().Find(firstPopup.Handle()), &first);
    EXPECT_EQ(List().Find(0), nullptr) << "no window is not the windowless entry's";
    EXPECT_EQ(List().Find(first.Popup().YesButton), nullptr) << "a button is no popup";
}

TEST_F(CleanerEntries, FreeingAnEntryTakesItOffTheListAndHidesItsPopup) {
    test::TFakePopup popup;
    auto entry = std::make_unique<TTempFolderFiles>(std::vector<std::string>{"a.tmp"}, AnswerNo);
    TTempFolderFiles other({"b.tmp"}, AnswerNo);
    TTempFolderFiles last({"c.tmp"}, AnswerNo);
    popup.FillRecord(entry->Popup());
    List().Add(entry.get());
    List().Add(&other);
    List().Add(&last);

    entry.reset();

    EXPECT_FALSE(popup.Visible);
    ASSERT_EQ(List().Count(), 2U);
    EXPECT_EQ(List().Items(0), &last);
    EXPECT_EQ(List().Items(1), &other);
}

TEST_F(CleanerEntries, FreeingAnEntryWhosePopupIsGoneOrMissingOnlyTakesItOff) {
    auto gone = std::make_unique<TTempFolderFiles>(std::vector<std::string>{"a.tmp"}, AnswerNo);
    auto windowless =
        std::make_unique<TTempFolderFiles>(std::vector<std::string>{"b.tmp"}, AnswerNo);
    {
        test::TFakePopup popup;
        popup.FillRecord(gone->Popup());
    }
    List().Add(gone.get());
    List().Add(windowless.get());

    gone.reset();
    windowless.reset();
    EXPECT_EQ(List().Count(), 0U);
}

TEST_F(CleanerEntries, AnEntryFreedAfterTheCleanersShutdownStillHidesItsPopup) {
    test::TFakePopup popup;
    auto entry = std::make_unique<TTempFolderFiles>(std::vector<std::string>{"a.tmp"}, AnswerNo);
    popup.FillRecord(entry->Popup());
    List().Add(entry.get());
    FreeTempFolderCleaner();

    entry.reset(); // the list it was on is gone
    EXPECT_FALSE(popup.Visible);
    CreateTempFolderCleaner(); // for the fixture's shutdown
}

TEST(TempFolderFiles, AnyDefaultOtherThanNoIsYes) {
    EXPECT_EQ(TTempFolderFiles({}, AnswerNo).DefaultIndex(), AnswerNo);
    EXPECT_EQ(TTempFolderFiles({}, AnswerYes).DefaultIndex(), AnswerYes);
    EXPECT_EQ(TTempFolderFiles({}, 7).DefaultIndex(), AnswerYes);
}

} // namespace
} // namespace vx::housekeeping
