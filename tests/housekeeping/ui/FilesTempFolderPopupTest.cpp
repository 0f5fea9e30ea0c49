#include "housekeeping/ui/FilesTempFolderPopup.h"

#include "housekeeping/TempFolderCleaner.h"
#include "housekeeping/TempFolderPopup.h"
#include "housekeeping/WindowClass.h"
#include "support/CaseName.h"
#include "support/TempPrefix.h"

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QPalette>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vx::housekeeping::ui {
namespace {

// Timers that fire when the test says so.
class TFakeTimers {
public:
    TStartTimer Starter() {
        return [this](WPARAM id, UINT period, std::function<void()> fire) {
            FTimers[id] = {period, std::move(fire)};
        };
    }
    void Fire(WPARAM id, int times = 1) {
        for (int time = 0; time < times; ++time) {
            FTimers.at(id).Fire();
        }
    }
    UINT Period(WPARAM id) const { return FTimers.at(id).Period; }
    std::size_t Count() const { return FTimers.size(); }

private:
    struct TTimer {
        UINT Period = 0;
        std::function<void()> Fire;
    };
    std::map<WPARAM, TTimer> FTimers;
};

// The cleaner started on an empty machine (delay 15), and a question with its popup.
class PopupFixture : public ::testing::Test {
protected:
    PopupFixture() {
        FPrefix.Install();
        CreateTempFolderCleaner();
    }
    ~PopupFixture() override {
        FQuestion.reset();
        FPopup.reset();
        FreeTempFolderCleaner();
    }

    void Open(std::int32_t defaultIndex) {
        FQuestion.reset();
        FPopup = std::make_unique<TFilesTempFolderPopup>(FTimers.Starter());
        FQuestion =
            std::make_unique<TTempFolderFiles>(std::vector<std::string>{"a.tmp"}, defaultIndex);
        FPopup->FillRecord(FQuestion->Popup());
        TempFolderCleaner()->CleanerList.Add(FQuestion.get());
    }

    // Runs the popup's message loop, doing `during` once inside it.
    int RunLoopWith(const std::function<void()>& during) {
        QTimer::singleShot(0, FPopup.get(), during);
        return FPopup->RunMessageLoop();
    }

    TTempFolderPopup& Record() { return FQuestion->Popup(); }

    vx::test::TTempPrefix FPrefix;
    TFakeTimers FTimers;
    std::unique_ptr<TFilesTempFolderPopup> FPopup;
    std::unique_ptr<TTempFolderFiles> FQuestion;
};

TEST_F(PopupFixture, IsAWindowOfTheRegisteredClassWithItsButtonsAndTimers) {
    Open(AnswerYes);
    EXPECT_EQ(FPopup->property("windowClass").toString(), "qelFilesTempFolderPopup");
    EXPECT_EQ(FPopup->cursor().shape(), Qt::ArrowCursor);
    // Brush value 15 is the system colour 14, the highlighted text's.
    EXPECT_TRUE(FPopup->autoFillBackground());
    EXPECT_EQ(FPopup->palette().color(QPalette::Window),
              FPopup->palette().color(QPalette::HighlightedText));

    EXPECT_EQ(FPopup->NoButton()->text(), "&No");
    EXPECT_EQ(FPopup->YesButton()->text(), "&Yes");
    EXPECT_EQ(FPopup->NoAndDoNotAskAgainButton()->text(), "No, and &do not ask again");

    ASSERT_EQ(FTimers.Count(), 2U);
    EXPECT_EQ(FTimers.Period(555), 1000U);
    EXPECT_EQ(FTimers.Period(666), 15000U);
}

TEST_F(PopupFixture, TheCountdownShowsOnTheDefaultButton) {
    struct TCase {
        std::int32_t DefaultIndex;
        const char* NoCaption;
        const char* YesCaption;
    };
    for (const TCase& testCase :
         {TCase{AnswerYes, "&No", "&Yes (14)"}, TCase{AnswerNo, "&No (14)", "&Yes"}}) {
        SCOPED_TRACE(testCase.DefaultIndex);
        Open(testCase.DefaultIndex);
        FTimers.Fire(555);
        EXPECT_EQ(FPopup->NoButton()->text(), testCase.NoCaption);
        EXPECT_EQ(FPopup->YesButton()->text(), testCase.YesCaption);
        EXPECT_EQ(FPopup->NoAndDoNotAskAgainButton()->text(), "No, and &do not ask again");
    }
}

TEST_F(PopupFixture, AfterFifteenSecondsTheLoopEndsWithTheDefaultAnswer) {
    Open(AnswerYes);
    FPopup->show();
    const int exitCode = RunLoopWith([this] {
        FTimers.Fire(555, 15);
        FTimers.Fire(666);
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(Record().Result, AnswerYes);
    EXPECT_EQ(FPopup->YesButton()->text(), "&Yes (0)");
    EXPECT_FALSE(TempFolderCleaner()->DoNotAskAgain);
    EXPECT_TRUE(FPopup->isVisible()) << "the popup stays until its question is freed";

    FQuestion.reset();
    EXPECT_FALSE(FPopup->isVisible());
    EXPECT_EQ(TempFolderCleaner()->CleanerList.Count(), 0U);
}

TEST_F(PopupFixture, AnEndPostedBeforeTheLoopRunsEndsItAtOnce) {
    Open(AnswerNo);
    Record().Result = AnswerYes;
    FTimers.Fire(666);
    EXPECT_EQ(FPopup->RunMessageLoop(), 0);
    EXPECT_EQ(Record().Result, AnswerNo);
}

struct TButtonCase {
    const char* Name;
    QPushButton* (TFilesTempFolderPopup::*Button)() const;
    std::int32_t Result;
    bool DoNotAskAgain;
};

class PopupButtonTest : public PopupFixture, public ::testing::WithParamInterface<TButtonCase> {};

TEST_P(PopupButtonTest, AClickAnswersAndEndsTheLoop) {
    const TButtonCase& testCase = GetParam();
    // The default is the other answer, and the result starts as neither.
    Open(testCase.Result == AnswerYes ? AnswerNo : AnswerYes);
    Record().Result = 7;
    FTimers.Fire(555);
    const int exitCode = RunLoopWith([this, &testCase] {
        QTest::mouseClick((FPopup.get()->*testCase.Button)(), Qt::LeftButton);
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(Record().Result, testCase.Result);
    EXPECT_EQ(TempFolderCleaner()->DoNotAskAgain, testCase.DoNotAskAgain);
}

const TButtonCase ButtonCases[] = {
    {"no", &TFilesTempFolderPopup::NoButton, AnswerNo, false},
    {"yes", &TFilesTempFolderPopup::YesButton, AnswerYes, false},
    {"no and do not ask again", &TFilesTempFolderPopup::NoAndDoNotAskAgainButton, AnswerNo, true},
};
INSTANTIATE_TEST_SUITE_P(Rows, PopupButtonTest, ::testing::ValuesIn(ButtonCases),
                         vx::test::CaseName{});

TEST_F(PopupFixture, ClosingThePopupAnswersNo) {
    const std::map<std::string, std::function<void(TFilesTempFolderPopup&)>> closings{
        {"title bar", [](TFilesTempFolderPopup& popup) { popup.close(); }},
        {"escape", [](TFilesTempFolderPopup& popup) { QTest::keyClick(&popup, Qt::Key_Escape); }},
    };
    for (const auto& [name, closeIt] : closings) {
        SCOPED_TRACE(name);
        Open(AnswerYes);
        FPopup->show();
        const int exitCode = RunLoopWith([this, &closeIt = closeIt] { closeIt(*FPopup); });
        EXPECT_EQ(exitCode, 0);
        EXPECT_EQ(Record().Result, AnswerNo);
        EXPECT_FALSE(TempFolderCleaner()->DoNotAskAgain);
        EXPECT_TRUE(FPopup->isVisible()) << "the popup stays until its question is freed";
    }
}

TEST_F(PopupFixture, AQuestionOutlivingItsPopupIsFreedHarmlessly) {
    Open(AnswerYes);
    FPopup.reset();
    FQuestion.reset();
    EXPECT_EQ(TempFolderCleaner()->CleanerList.Count(), 0U);
}

TEST_F(PopupFixture, NoPopupWithoutTheRegisteredClass) {
    FreeTempFolderCleaner();
    EXPECT_THROW(TFilesTempFolderPopup popup(FTimers.Starter()), EWindowClassError);
    EXPECT_EQ(FTimers.Count(), 0U);
    CreateTempFolderCleaner();
}

TEST_F(PopupFixture, ItsOwnTimersRunWithThePeriodsTheProcedureAsks) {
    const TFilesTempFolderPopup popup;
    std::vector<int> intervals;
    for (const QTimer* timer : popup.findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_TRUE(timer->isActive());
        EXPECT_FALSE(timer->isSingleShot()) << "a window's timer repeats until it is killed";
        intervals.push_back(timer->interval());
    }
    std::sort(intervals.begin(), intervals.end());
    EXPECT_EQ(intervals, (std::vector<int>{1000, 15000}));
}

} // namespace
} // namespace vx::housekeeping::ui
