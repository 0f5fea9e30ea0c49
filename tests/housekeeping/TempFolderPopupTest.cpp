#include "housekeeping/TempFolderPopup.h"

#include "FakePopup.h"
#include "TweaksHive.h"
#include "housekeeping/TempFolderCleaner.h"
#include "housekeeping/WindowClass.h"
#include "support/CaseName.h"
#include "support/TempPrefix.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::housekeeping {
namespace {

using test::TFakePopup;

// The cleaner started on a machine whose delay is `delay` seconds (none: the default), and a
// question on the cleaner list with its popup created.
class TPopupProcedure {
public:
    explicit TPopupProcedure(std::int32_t defaultIndex,
                             std::optional<std::int32_t> delay = std::nullopt) {
        if (delay) {
            Prefix.Hives(test::TweaksHive("", "\"TempFolderCleanDelay\"=dword:" + Hex(*delay)));
        }
        Prefix.Install();
        CreateTempFolderCleaner();
        Window = std::make_unique<TFakePopup>();
        Question =
            std::make_unique<TTempFolderFiles>(std::vector<std::string>{"a.tmp"}, defaultIndex);
        Window->FillRecord(Question->Popup());
        TempFolderCleaner()->CleanerList.Add(Question.get());
        Window->SendMessage(WM_CREATE, 0, 0);
    }
    ~TPopupProcedure() {
        Question.reset();
        FreeTempFolderCleaner();
    }
    TPopupProcedure(const TPopupProcedure&) = delete;
    TPopupProcedure& operator=(const TPopupProcedure&) = delete;

    void Tick(int seconds = 1) {
        for (int second = 0; second < seconds; ++second) {
            Window->SendMessage(WM_TIMER, CountdownTimer, 0);
        }
    }
    void Command(HWND source) { Window->SendMessage(WM_COMMAND, 0, static_cast<LPARAM>(source)); }
    TTempFolderPopup& Popup() { return Question->Popup(); }

    vx::test::TTempPrefix Prefix;
    std::unique_ptr<TFakePopup> Window;
    std::unique_ptr<TTempFolderFiles> Question;

private:
    static std::string Hex(std::int32_t value) {
        std::array<char, 9> text{};
        std::snprintf(text.data(), text.size(), "%08x", static_cast<std::uint32_t>(value));
        return text.data();
    }
};

struct TTimerCase {
    const char* Name;
    std::optional<std::int32_t> Delay;
    UINT Period; // of the answer timer, as SetTimer runs it
};

class PopupCreationTest : public ::testing::TestWithParam<TTimerCase> {};

TEST_P(PopupCreationTest, StartsTheCountdownAndTheAnswerTimer) {
    const TTimerCase& testCase = GetParam();
    TPopupProcedure popup(AnswerYes, testCase.Delay);
    ASSERT_EQ(popup.Window->Timers.size(), 2U);
    EXPECT_EQ(popup.Window->Timers.at(555), 1000U);
    EXPECT_EQ(TimerPeriod(popup.Window->Timers.at(666)), testCase.Period);
}

const TTimerCase TimerCases[] = {
    {"default delay", std::nullopt, 15000},
    {"one second", 1, 1000},
    // What SetTimer makes of the product in 32 bits: at least 10 ms, at most 0x7FFFFFFF ms.
    {"zero", 0, 10},
    {"negative", -1, 0x7FFFFFFF},
    {"beyond 32 bits", 5000000, 705032704},
};
INSTANTIATE_TEST_SUITE_P(Rows, PopupCreationTest, ::testing::ValuesIn(TimerCases),
                         vx::test::CaseName{});

struct TCountdownCase {
    const char* Name;
    std::int32_t DefaultIndex;
    int Seconds;
    const char* Caption; // of the default button
    std::optional<std::int32_t> Delay = std::nullopt;
};

class PopupCountdownTest : public ::testing::TestWithParam<TCountdownCase> {};

TEST_P(PopupCountdownTest, TheDefaultButtonShowsTheSecondsLeft) {
    const TCountdownCase& testCase = GetParam();
    TPopupProcedure popup(testCase.DefaultIndex, testCase.Delay);
    popup.Tick(testCase.Seconds);

    const TTempFolderPopup& record = popup.Popup();
    const HWND defaultButton =
        testCase.DefaultIndex == AnswerYes ? record.YesButton : record.NoButton;
    EXPECT_EQ(record.TickCounter, testCase.Seconds);
    ASSERT_EQ(popup.Window->Texts.size(), 1U) << "only the default button changes";
    EXPECT_EQ(popup.Window->Texts.at(defaultButton), testCase.Caption);
    EXPECT_TRUE(popup.Window->QuitCodes.empty());
}

const TCountdownCase CountdownCases[] = {
    {"yes after one second", AnswerYes, 1, "&Yes (14)"},
    {"no after one second", AnswerNo, 1, "&No (14)"},
    {"yes after fifteen seconds", AnswerYes, 15, "&Yes (0)"},
    {"no after sixteen seconds", AnswerNo, 16, "&No (-1)"},
    {"lowest delay", AnswerYes, 1, "&Yes (-2147483649)", std::numeric_limits<std::int32_t>::min()},
};
INSTANTIATE_TEST_SUITE_P(Rows, PopupCountdownTest, ::testing::ValuesIn(CountdownCases),
                         vx::test::CaseName{});

TEST(PopupAnswerTimer, GivesTheDefaultAnswerAndEndsTheLoop) {
    for (const std::int32_t defaultIndex : {AnswerNo, AnswerYes}) {
        SCOPED_TRACE(defaultIndex);
        TPopupProcedure popup(defaultIndex);
        popup.Popup().Result = 7;
        popup.Tick(15);
        popup.Window->SendMessage(WM_TIMER, AnswerTimer, 0);
        EXPECT_EQ(popup.Popup().Result, defaultIndex);
        EXPECT_EQ(popup.Window->QuitCodes, std::vector<int>{0});
        EXPECT_FALSE(TempFolderCleaner()->DoNotAskAgain);
    }
}

struct TCommandCase {
    const char* Name;
    HWND TTempFolderPopup::*Button; // null: a source that is none of the three
    std::int32_t Result;
    bool DoNotAskAgain;
    bool Ends;
};

class PopupCommandTest : public ::testing::TestWithParam<TCommandCase> {};

TEST_P(PopupCommandTest, OnlyTheThreeButtonsAnswer) {
    const TCommandCase& testCase = GetParam();
    TPopupProcedure popup(AnswerYes);
    popup.Popup().Result = 7;
    const HWND source =
        testCase.Button != nullptr ? popup.Popup().*testCase.Button : NewWindowHandle();
    popup.Command(source);

    EXPECT_EQ(popup.Popup().Result, testCase.Result);
    EXPECT_EQ(TempFolderCleaner()->DoNotAskAgain, testCase.DoNotAskAgain);
    EXPECT_EQ(popup.Window->QuitCodes, testCase.Ends ? std::vector<int>{0} : std::vector<int>{});
}

const TCommandCase CommandCases[] = {
    {"no", &TTempFolderPopup::NoButton, AnswerNo, false, true},
    {"yes", &TTempFolderPopup::YesButton, AnswerYes, false, true},
    {"no and do not ask again", &TTempFolderPopup::NoAndDoNotAskAgainButton, AnswerNo, true, true},
    {"another control", nullptr, 7, false, false},
};
INSTANTIATE_TEST_SUITE_P(Rows, PopupCommandTest, ::testing::ValuesIn(CommandCases),
                         vx::test::CaseName{});

TEST(PopupCommand, WithoutASourceChangesNothing) {
    TPopupProcedure popup(AnswerYes);
    popup.Popup().Result = 7;
    popup.Popup().NoButton = 0; // a record whose button was never made
    popup.Command(0);
    EXPECT_EQ(popup.Popup().Result, 7);
    EXPECT_TRUE(popup.Window->QuitCodes.empty());
}

// A popup whose question is not on the cleaner list: the steps that need it do nothing, but the
// answer timer still ends the loop, so that nothing waits on the popup for ever.
TEST(PopupWithoutQuestion, CountsNothingAnswersNothingButStillEnds) {
    TPopupProcedure popup(AnswerYes);
    TempFolderCleaner()->CleanerList.Remove(popup.Question.get());
    popup.Popup().Result = 7;

    popup.Tick();
    popup.Command(popup.Popup().YesButton);
    popup.Command(popup.Popup().NoAndDoNotAskAgainButton);
    EXPECT_EQ(popup.Popup().TickCounter, 0);
    EXPECT_TRUE(popup.Window->Texts.empty());
    EXPECT_EQ(popup.Popup().Result, 7);
    EXPECT_FALSE(TempFolderCleaner()->DoNotAskAgain);
    EXPECT_TRUE(popup.Window->QuitCodes.empty());

    popup.Window->SendMessage(WM_TIMER, AnswerTimer, 0);
    EXPECT_EQ(popup.Popup().Result, 7);
    EXPECT_EQ(popup.Window->QuitCodes, std::vector<int>{0});
}

TEST(PopupProcedureMessages, OtherTimersAndMessagesChangeNothing) {
    TPopupProcedure popup(AnswerYes);
    popup.Popup().Result = 7;
    popup.Window->SendMessage(WM_TIMER, 556, 0);
    popup.Window->SendMessage(0x0010 /* WM_CLOSE */, 0, 0);
    EXPECT_EQ(popup.Popup().TickCounter, 0);
    EXPECT_EQ(popup.Popup().Result, 7);
    EXPECT_TRUE(popup.Window->Texts.empty());
    EXPECT_TRUE(popup.Window->QuitCodes.empty());
}

} // namespace
} // namespace vx::housekeeping
