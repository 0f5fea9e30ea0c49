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

// Runs the exit question and answers it with `answer`.
int AskExit(std::function<void(TJSTaskDialogForm&)> answer, TCommonButton defaultButton = cbNo) {
    WhenModal(std::move(answer));
    return KorvexMessageDlg(ExitQuestion, 0, {cbYes, cbNo}, 0, defaultButton);
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
    AskExit([](TJSTaskDialogForm& form) {
        QPushButton* yes = form.CommonButton(cbYes);
        QPushButton* no = form.CommonButton(cbNo);
        EXPECT_GT(no->x(), yes->x()); // No right of Yes
        EXPECT_TRUE(no->isDefault());
        EXPECT_FALSE(yes->isDefault());
        EXPECT_EQ(form.ContentView()->toPlainText(), QString::fromUtf8(ExitQuestion));
        EXPECT_TRUE(form.InstructionView()->isHidden()); // "Generic" has no instruction
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Korvex - Thornet 2"));
        ASSERT_NE(form.MainIconLabel(), nullptr);
        EXPECT_EQ(form.MainIconLabel()->pixmap().toImage(),
                  StandardIcon(tdiWarning).pixmap(32).toImage());
        Click(no);
    });
}

TEST_F(KorvexMessageDlgTest, CancelButtonChoice) {
    struct TCase {
        const char* Name;
        TCommonButtons Buttons;
        int Escape;
    };
    const TCase cases[] = {
        {"Cancel wins", {cbYes, cbNo, cbCancel}, 2},
        {"else No", {cbYes, cbNo}, 7},
        {"else OK", {cbOK, cbRetry}, 1},
        {"OK not there: the window closes", {cbAbort, cbRetry, cbIgnore}, 2},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        WhenModal([](TJSTaskDialogForm& form) { Press(&form, Qt::Key_Escape); });
        EXPECT_EQ(KorvexMessageDlg("Question?", 3, testCase.Buttons, 0, cbOK), testCase.Escape);
    }
}

TEST_F(KorvexMessageDlgTest, IconByKind) {
    const std::pair<int, TTaskDialogIcon> cases[] = {
        {0, tdiWarning}, {1, tdiError}, {2, tdiInformation}, {3, tdiConfirmation},
        {4, tdiCustom},  {5, tdiNone},  {255, tdiNone},
    };
    QPixmap custom(32, 32);
    custom.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(custom));
    for (const auto& [Kind, Icon] : cases) {
        SCOPED_TRACE(Kind);
        WhenModal([icon = Icon](TJSTaskDialogForm& form) {
            if (icon == tdiNone) {
                EXPECT_EQ(form.MainIconLabel(), nullptr);
            } else {
                ASSERT_NE(form.MainIconLabel(), nullptr);
                EXPECT_EQ(form.MainIconLabel()->pixmap().toImage(),
                          StandardIcon(icon).pixmap(32).toImage());
            }
            Click(form.CommonButton(cbOK));
        });
        EXPECT_EQ(KorvexMessageDlg("m", static_cast<std::uint8_t>(Kind), {cbOK}, 0, cbOK), 1);
    }
    QApplication::setWindowIcon(QIcon());
}

TEST_F(KorvexMessageDlgTest, ContentLinesButtonsAndHelp) {
    int helpTopic = 0;
    const TJSHelpHandler previous =
        SetJSHelpHandler([&](THelpType, int context, const QString&) { helpTopic = context; });
    WhenModal([](TJSTaskDialogForm& form) {
        EXPECT_EQ(taskdialog::test::PlainLines(*form.ContentView()->document()),
                  (QStringList{"one", "two", "three", "four"}));
        EXPECT_EQ(form.CommonButton(cbClose), nullptr); // cannot be asked for
        Click(form.CommonButton(cbHelp));
        EXPECT_TRUE(form.isVisible());
        Click(form.CommonButton(cbOK));
    });
    EXPECT_EQ(KorvexMessageDlg("one\r\ntwo\nthree\rfour", 2, {cbOK, cbHelp, cbClose}, 77, cbOK), 1);
    EXPECT_EQ(helpTopic, 77);
    SetJSHelpHandler(previous);
}

TEST_F(KorvexMessageDlgTest, WithoutTheCatalogueItRaises) {
    decisions::FreeDialogTexts();
    EXPECT_THROW(KorvexMessageDlg("m", 0, {cbOK}, 0, cbOK), decisions::EDialogTextError);
}

} // namespace
} // namespace vx::dialogs
