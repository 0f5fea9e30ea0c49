// The decision dialog as a prompt that is answered only on purpose: the view stays on the
// decision being read, Allow and Deny wait a second after every change under the user's eyes,
// the keyboard reaches every button, long values stay within three rows.
#include "DecisionFixture.h"
#include "taskdialog/JSMarkup.h"
#include "taskdialog/JSWidgets.h"

#include <string>

#include <QApplication>
#include <QHelpEvent>
#include <QScreen>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>
#include <gtest/gtest.h>

namespace vx::dialogs {
namespace {

using namespace taskdialog;

using taskdialog::test::Click;
using taskdialog::test::WaitUntilAnswerable;
using DecisionPrompt = test::TDecisionFixture;

// The item line names the decision shown.
QString ItemOf(int number) {
    return QStringLiteral("Item: item%1").arg(number);
}

TEST_F(DecisionPrompt, ANotificationKeepsTheDecisionBeingRead) {
    AddItems(3);
    Notify();
    Click(Next());
    ASSERT_EQ(Line(2), ItemOf(1));
    ASSERT_TRUE(Instruction().endsWith(QStringLiteral("(2/3)!")));

    AddItems(1); // "item0" again, as the fourth
    Notify();
    EXPECT_EQ(Line(2), ItemOf(1));
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(2/4)!")));
    EXPECT_TRUE(Previous()->isEnabled());
    EXPECT_TRUE(Next()->isEnabled());

    // The first one goes elsewhere: the same decision, now at the first position.
    FList.Delete(0);
    Notify();
    EXPECT_EQ(Line(2), ItemOf(1));
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(1/3)!")));
    EXPECT_FALSE(Previous()->isEnabled());

    // The one shown goes elsewhere: what is now at its position is shown.
    FList.Delete(0);
    Notify();
    EXPECT_EQ(Line(2), ItemOf(2));
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(1/2)!")));
}

TEST_F(DecisionPrompt, AHiddenDialogStartsAtTheFirstDecision) {
    AddItems(3);
    Notify();
    Click(Next());
    Click(Ignore());
    ASSERT_FALSE(Shown());
    AddItems(1);
    Notify();
    ASSERT_TRUE(Shown());
    EXPECT_EQ(Line(2), ItemOf(0));
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(1/4)!")));
}

// A notification that leaves the shown decision as it is touches neither the content nor its
// layout: only the position text changes.
TEST_F(DecisionPrompt, ANotificationOnlyUpdatesThePosition) {
    AddItems(2);
    Notify();
    const QTextDocument* content = Form().ContentView()->document();
    const int revision = content->revision();
    const QRect contentGeometry = Form().ContentView()->geometry();
    AddItems(1);
    Notify();
    EXPECT_EQ(content->revision(), revision);
    EXPECT_EQ(Form().ContentView()->geometry(), contentGeometry);
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(1/3)!")));
}

class DecisionPromptDelay : public test::TDecisionFixture {
protected:
    void SetUp() override {
        TDecisionFixture::SetUp();
        FInputDelay = TKorvexPlimmDecisionDialog::AnswerDelay;
    }
};

// Allow and Deny ignore input for the delay after the dialog appears and after it starts
// showing another decision; a click meanwhile is dropped, not kept for later.
TEST_F(DecisionPromptDelay, AllowAndDenyWaitASecondAfterEachChange) {
    AddItems(3);
    Notify();
    EXPECT_FALSE(Allow()->isEnabled());
    EXPECT_FALSE(Deny()->isEnabled());
    EXPECT_TRUE(Next()->isEnabled()); // paging stays live
    Click(Allow());
    Click(Deny());
    EXPECT_TRUE(FVerdicts.empty());

    ASSERT_TRUE(WaitUntilAnswerable(Form()));
    EXPECT_TRUE(Allow()->isEnabled());
    EXPECT_TRUE(FVerdicts.empty()); // nothing was queued
    Click(Next());                  // another decision: the delay again
    EXPECT_FALSE(Allow()->isEnabled());
    Click(Allow());
    EXPECT_TRUE(FVerdicts.empty());

    ASSERT_TRUE(WaitUntilAnswerable(Form()));
    Click(Allow());
    EXPECT_EQ(FVerdicts, (std::vector<std::pair<int, bool>>{{1, true}}));
    // The view moved to another decision: a second click of the same hand goes nowhere.
    EXPECT_FALSE(Allow()->isEnabled());
    Click(Allow());
    EXPECT_EQ(FVerdicts.size(), 1u);
}

// A flood of notifications that change neither the decision shown nor the window's place
// cannot keep the user from answering.
TEST_F(DecisionPromptDelay, NotificationsThatChangeNothingLeaveTheDelayAlone) {
    AddItems(1);
    Notify();
    Form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    ASSERT_TRUE(WaitUntilAnswerable(Form()));
    for (int i = 0; i < 5; ++i) {
        AddItems(1);
        Notify();
        EXPECT_TRUE(Allow()->isEnabled());
    }
    Click(Allow());
    EXPECT_EQ(FVerdicts, (std::vector<std::pair<int, bool>>{{0, true}}));
}

TEST_F(DecisionPrompt, AllowAndDenyNeverHoldTheKeyboard) {
    AddItems(2);
    Notify();
    EXPECT_EQ(Allow()->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(Deny()->focusPolicy(), Qt::NoFocus);
    Form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    // Tab goes round the window's controls without ever stopping on them.
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(&Form(), Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), Allow());
        EXPECT_NE(QApplication::focusWidget(), Deny());
    }
    Click(Deny());
    EXPECT_EQ(FVerdicts.size(), 1u);
    EXPECT_NE(QApplication::focusWidget(), Allow());
    EXPECT_NE(QApplication::focusWidget(), Deny());
}

TEST_F(DecisionPrompt, KeysPageAndAnswerReturnDoesNothing) {
    AddItems(3);
    Notify();
    Form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    struct TCase {
        const char* Name;
        QKeySequence Keys;
        int ShownAfter; // the item shown afterwards
    };
    const TCase paging[] = {
        {"Alt+Right", QKeySequence(Qt::ALT | Qt::Key_Right), 1},
        {"Page Down", QKeySequence(Qt::Key_PageDown), 2},
        {"Page Down at the end", QKeySequence(Qt::Key_PageDown), 2},
        {"Alt+Left", QKeySequence(Qt::ALT | Qt::Key_Left), 1},
        {"Page Up", QKeySequence(Qt::Key_PageUp), 0},
        {"Return", QKeySequence(Qt::Key_Return), 0},
    };
    for (const auto& testCase : paging) {
        SCOPED_TRACE(testCase.Name);
        QTest::keySequence(&Form(), testCase.Keys);
        EXPECT_EQ(Line(2), ItemOf(testCase.ShownAfter));
    }
    EXPECT_TRUE(FVerdicts.empty());
    EXPECT_TRUE(Shown());

    QTest::keySequence(&Form(), QKeySequence(Qt::ALT | Qt::Key_D));
    EXPECT_EQ(FVerdicts, (std::vector<std::pair<int, bool>>{{0, false}}));
    QTest::keySequence(&Form(), QKeySequence(Qt::ALT | Qt::Key_A));
    EXPECT_EQ(FVerdicts, (std::vector<std::pair<int, bool>>{{0, false}, {0, true}}));
    // The captions stay as they are: no accelerator marks.
    EXPECT_EQ(Allow()->text(), QStringLiteral("Allow"));
    EXPECT_EQ(Deny()->text(), QStringLiteral("Deny"));
}

TEST_F(DecisionPromptDelay, KeysWaitForTheDelayToo) {
    AddItems(1);
    Notify();
    Form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));
    QTest::keySequence(&Form(), QKeySequence(Qt::ALT | Qt::Key_A));
    EXPECT_TRUE(FVerdicts.empty());
    ASSERT_TRUE(WaitUntilAnswerable(Form()));
    QTest::keySequence(&Form(), QKeySequence(Qt::ALT | Qt::Key_A));
    EXPECT_EQ(FVerdicts.size(), 1u);
}

// A long value shows at most three rows, shortened in the middle; the whole of it is in the
// line's tooltip and in the copy; the labels below stay in sight and the window stays centred.
TEST_F(DecisionPrompt, LongValuesStayWithinThreeRows) {
    const std::string item = "C:\\" + std::string(2500, 'a') + std::string(2500, 'z') + ".exe";
    Add({"item=" + item, "identifiedas=Trojan.Long", "threatlevel=5", "decisiontype=decision",
         "logclass=changed", "newdata=" + std::string(300, 'n') + " " + std::string(300, 'm')});
    AddItems(1);
    Notify();
    ASSERT_TRUE(Shown());
    const QString shown = Line(2);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Item: C:\\aaa"))) << shown.left(40).toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("zzz.exe")));
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_LT(shown.size(), 1000);
    EXPECT_EQ(Line(3), QStringLiteral("Identified as: Trojan.Long"));
    EXPECT_EQ(Dialog().ContentWholeLines().value(2),
              QStringLiteral("Item: ") + QString::fromStdString(item));
    EXPECT_TRUE(Dialog().ContentWholeLines().value(3).isEmpty()); // shown whole
    EXPECT_NE(Form().ClipboardText().indexOf(QString::fromStdString(item)), -1);
    // Hovering the shortened line shows it whole; a line shown whole has no tooltip.
    const auto tipAt = [this](const QString& text) {
        TJSTextView* content = Form().ContentView();
        QTextCursor at = content->document()->find(text);
        const QPoint point = content->cursorRect(at).center();
        QHelpEvent help(QEvent::ToolTip, point, content->viewport()->mapToGlobal(point));
        QApplication::sendEvent(content->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text().remove(QChar(MarkupWrapPoint)) : QString();
    };
    EXPECT_EQ(tipAt(QStringLiteral("Threat Level:")), QString());
    const QString itemTip = tipAt(QStringLiteral("Item:"));
    EXPECT_TRUE(itemTip.contains(QString::fromStdString(std::string(2500, 'z') + ".exe")));
    EXPECT_TRUE(itemTip.contains(QString::fromStdString(std::string(2500, 'a'))));

    // Every line fits the view: nothing scrolls out of sight.
    const TJSTextView& view = *Form().ContentView();
    EXPECT_LE(view.HeightForWidth(view.width()), view.height());
    const QRect area = Form().screen()->availableGeometry();
    EXPECT_LE(Form().frameGeometry().height(), area.height());
    EXPECT_LE(std::abs(Form().frameGeometry().center().y() - area.center().y()), 1);

    // A short decision makes the window smaller; it is centred again.
    Click(Next());
    ASSERT_EQ(Line(2), ItemOf(0));
    EXPECT_LE(std::abs(Form().frameGeometry().center().y() - area.center().y()), 1);
    EXPECT_LE(std::abs(Form().frameGeometry().center().x() - area.center().x()), 1);
}

} // namespace
} // namespace vx::dialogs
