#include "KorvexFixture.h"
#include "taskdialog/JSDialog.h"
#include "taskdialog/JSLook.h"
#include "taskdialog/JSWidgets.h"
#include "taskdialog/TaskDialogTestSupport.h"

#include <functional>
#include <string>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace vx::dialogs {
namespace {

using namespace taskdialog;

using taskdialog::test::Click;
using taskdialog::test::Press;
using taskdialog::test::WhenModal;
using KorvexMessageDlgTest = test::TKorvexFixture;

constexpr const char* ExitQuestion =
    "Closing this icon and menu will not stop system monitoring, changes will just happen "
    "without notice afterwards. To shut down the monitoring instead, disabled it by unchecking "
    "\"Live Protection\" instead. Are you sure you want to exit the notifications only?";

// Runs the exit question and answers it with Answer.
int AskExit(std::function<void(TJSTaskDialogForm&)> Answer, TCommonButton DefaultButton = cbNo) {
    WhenModal(std::move(Answer));
    return KorvexMessageDlg(ExitQuestion, 0, {cbYes, cbNo}, 0, DefaultButton);
}

TEST_F(KorvexMessageDlgTest, ExitQuestionAnswers) {
    EXPECT_EQ(AskExit([](TJSTaskDialogForm& Form) { Click(Form.CommonButton(cbYes)); }), 6);
    EXPECT_EQ(AskExit([](TJSTaskDialogForm& Form) { Click(Form.CommonButton(cbNo)); }), 7);
    EXPECT_EQ(AskExit([](TJSTaskDialogForm& Form) { Press(&Form, Qt::Key_Escape); }), 7);
    EXPECT_EQ(AskExit([](TJSTaskDialogForm& Form) { Form.close(); }), 2);
    EXPECT_EQ(AskExit([](TJSTaskDialogForm& Form) { Press(&Form, Qt::Key_Return); }), 7);
    EXPECT_EQ(AskExit([](TJSTaskDialogForm& Form) { Press(&Form, Qt::Key_Return); }, cbYes), 6);
}

TEST_F(KorvexMessageDlgTest, ExitQuestionLooks) {
    AskExit([](TJSTaskDialogForm& Form) {
        QPushButton* Yes = Form.CommonButton(cbYes);
        QPushButton* No = Form.CommonButton(cbNo);
        EXPECT_GT(No->x(), Yes->x()); // No right of Yes
        EXPECT_TRUE(No->isDefault());
        EXPECT_FALSE(Yes->isDefault());
        EXPECT_EQ(Form.ContentView()->toPlainText(), QString::fromUtf8(ExitQuestion));
        EXPECT_TRUE(Form.InstructionView()->isHidden()); // "Generic" has no instruction
        EXPECT_EQ(Form.windowTitle(), QStringLiteral("Korvex - Thornet 2"));
        ASSERT_NE(Form.MainIconLabel(), nullptr);
        EXPECT_EQ(Form.MainIconLabel()->pixmap().toImage(),
                  StandardIcon(tdiWarning).pixmap(32).toImage());
        Click(No);
    });
}

TEST_F(KorvexMessageDlgTest, CancelButtonChoice) {
    struct TCase {
        const char* Name;
        TCommonButtons Buttons;
        int Escape;
    };
    const TCase Cases[] = {
        {"Cancel wins", {cbYes, cbNo, cbCancel}, 2},
        {"else No", {cbYes, cbNo}, 7},
        {"else OK", {cbOK, cbRetry}, 1},
        {"OK not there: the window closes", {cbAbort, cbRetry, cbIgnore}, 2},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        WhenModal([](TJSTaskDialogForm& Form) { Press(&Form, Qt::Key_Escape); });
        EXPECT_EQ(KorvexMessageDlg("Question?", 3, Case.Buttons, 0, cbOK), Case.Escape);
    }
}

TEST_F(KorvexMessageDlgTest, IconByKind) {
    const std::pair<int, TTaskDialogIcon> Cases[] = {
        {0, tdiWarning}, {1, tdiError}, {2, tdiInformation}, {3, tdiConfirmation},
        {4, tdiCustom},  {5, tdiNone},  {255, tdiNone},
    };
    QPixmap Custom(32, 32);
    Custom.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(Custom));
    for (const auto& [Kind, Icon] : Cases) {
        SCOPED_TRACE(Kind);
        WhenModal([Icon = Icon](TJSTaskDialogForm& Form) {
            if (Icon == tdiNone) {
                EXPECT_EQ(Form.MainIconLabel(), nullptr);
            } else {
                ASSERT_NE(Form.MainIconLabel(), nullptr);
                EXPECT_EQ(Form.MainIconLabel()->pixmap().toImage(),
                          StandardIcon(Icon).pixmap(32).toImage());
            }
            Click(Form.CommonButton(cbOK));
        });
        EXPECT_EQ(KorvexMessageDlg("m", static_cast<std::uint8_t>(Kind), {cbOK}, 0, cbOK), 1);
    }
    QApplication::setWindowIcon(QIcon());
}

TEST_F(KorvexMessageDlgTest, ContentLinesButtonsAndHelp) {
    int HelpTopic = 0;
    const TJSHelpHandler Previous =
        SetJSHelpHandler([&](THelpType, int Context, const QString&) { HelpTopic = Context; });
    WhenModal([](TJSTaskDialogForm& Form) {
        EXPECT_EQ(taskdialog::test::PlainLines(*Form.ContentView()->document()),
                  (QStringList{"one", "two", "three", "four"}));
        EXPECT_EQ(Form.CommonButton(cbClose), nullptr); // cannot be asked for
        Click(Form.CommonButton(cbHelp));
        EXPECT_TRUE(Form.isVisible());
        Click(Form.CommonButton(cbOK));
    });
    EXPECT_EQ(KorvexMessageDlg("one\r\ntwo\nthree\rfour", 2, {cbOK, cbHelp, cbClose}, 77, cbOK), 1);
    EXPECT_EQ(HelpTopic, 77);
    SetJSHelpHandler(Previous);
}

TEST_F(KorvexMessageDlgTest, WithoutTheCatalogueItRaises) {
    decisions::FreeDialogTexts();
    EXPECT_THROW(KorvexMessageDlg("m", 0, {cbOK}, 0, cbOK), decisions::EDialogTextError);
}

} // namespace
} // namespace vx::dialogs
