#include "taskdialog/JSDialog.h"

#include "taskdialog/JSDefaultFonts.h"
#include "taskdialog/JSLook.h"
#include "taskdialog/JSWidgets.h"
#include "taskdialog/TaskDialogTestSupport.h"

#include <stdexcept>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

namespace vx::taskdialog {
namespace {

using test::Click;
using test::Press;
using test::WhenModal;

// A modeless dialog, freed with its window after each test.
class JSDialog : public ::testing::Test {
protected:
    JSDialog() { FDialog.DialogOptions = {}; }

    TJSTaskDialogForm& Show() {
        EXPECT_EQ(FDialog.Execute(), ExecuteShown);
        TJSTaskDialogForm* form = FDialog.Form();
        EXPECT_NE(form, nullptr);
        return *form;
    }

    TJSDialog FDialog;
};

TEST_F(JSDialog, Defaults) {
    const TJSDialog fresh;
    EXPECT_TRUE(fresh.ButtonBar.Buttons == (TCommonButtons{cbOK, cbCancel}));
    EXPECT_EQ(fresh.ButtonBar.Default, cbOK);
    EXPECT_EQ(fresh.ButtonBar.Cancel, cbCancel);
    EXPECT_TRUE(fresh.ButtonBar.UseDefault && fresh.ButtonBar.UseCancel);
    EXPECT_TRUE(fresh.DialogOptions == TDialogOptions{doModal});
    EXPECT_EQ(fresh.MainIcon, tdiNone);
    EXPECT_EQ(fresh.HelpType, htContext);
    EXPECT_EQ(fresh.Position, dpScreenCenter);
    EXPECT_EQ(fresh.Width, 0);
    EXPECT_TRUE(fresh.UseDefaultFonts && fresh.AllowCancel && !fresh.AllowMinimize);
    EXPECT_FALSE(fresh.Header.Visible || fresh.Footer.Visible || fresh.Verification.Visible);
    EXPECT_EQ(fresh.Header.IconSize, isLarge);
    EXPECT_EQ(fresh.Form(), nullptr);
}

TEST_F(JSDialog, CustomButtonsNumberFromOneHundred) {
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(FDialog.CustomButtons.Add().Value(), 100 + index);
    }
    EXPECT_EQ(FDialog.CustomButtons.Items(2).Value(), 102);
    EXPECT_THROW(FDialog.CustomButtons.Items(3), EJSDialogError);
    EXPECT_THROW(FDialog.CustomButtons.Items(-1), EJSDialogError);
}

// Each common button closes a modal dialog with its result.
TEST(JSDialogModal, EachCommonButtonGivesItsResult) {
    const std::pair<TCommonButton, int> cases[] = {
        {cbYes, 6},    {cbNo, 7},  {cbOK, 1},      {cbCancel, 2},    {cbAbort, 3}, {cbRetry, 4},
        {cbIgnore, 5}, {cbAll, 8}, {cbNoToAll, 9}, {cbYesToAll, 10}, {cbClose, 0},
    };
    for (const auto& [Button, Result] : cases) {
        SCOPED_TRACE(CommonButtonCaption(Button));
        TJSDialog dialog;
        dialog.ButtonBar.Buttons = {Button, cbHelp};
        WhenModal([button = Button](TJSTaskDialogForm& form) { Click(form.CommonButton(button)); });
        EXPECT_EQ(dialog.Execute(), Result);
        EXPECT_EQ(dialog.ModalResult(), Result);
        EXPECT_EQ(dialog.Form(), nullptr); // a modal window is freed
    }
}

TEST(JSDialogModal, CloseBoxEscapeAndCancel) {
    struct TCase {
        const char* Name;
        TCommonButtons Buttons;
        TCommonButton Cancel;
        bool AllowCancel;
        bool Escape; // else the close box
        int Result;
    };
    const TCase cases[] = {
        {"close box", {cbYes, cbNo}, cbNo, true, false, 2},
        {"Escape clicks the cancel button", {cbYes, cbNo}, cbNo, true, true, 7},
        {"Escape without a cancel button closes", {cbYes, cbNo}, cbCancel, true, true, 2},
        {"Escape with Cancel", {cbOK, cbCancel}, cbCancel, true, true, 2},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        TJSDialog dialog;
        dialog.ButtonBar.Buttons = testCase.Buttons;
        dialog.ButtonBar.Cancel = testCase.Cancel;
        dialog.AllowCancel = testCase.AllowCancel;
        WhenModal([escape = testCase.Escape](TJSTaskDialogForm& form) {
            if (escape) {
                Press(&form, Qt::Key_Escape);
            } else {
                form.close();
            }
        });
        EXPECT_EQ(dialog.Execute(), testCase.Result);
    }
}

TEST(JSDialogModal, WithoutAllowCancelOnlyAButtonCloses) {
    TJSDialog dialog;
    dialog.ButtonBar.Buttons = {cbOK};
    dialog.ButtonBar.Cancel = cbCancel;
    dialog.AllowCancel = false;
    bool stayedOpen = false;
    WhenModal([&](TJSTaskDialogForm& form) {
        form.close();
        Press(&form, Qt::Key_Escape);
        stayedOpen = form.isVisible();
        Click(form.CommonButton(cbOK));
    });
    EXPECT_EQ(dialog.Execute(), 1);
    EXPECT_TRUE(stayedOpen);
}

TEST(JSDialogModal, EnterClicksTheDefaultButton) {
    for (const TCommonButton defaultButton : {cbYes, cbNo}) {
        TJSDialog dialog;
        dialog.ButtonBar.Buttons = {cbYes, cbNo};
        dialog.ButtonBar.Default = defaultButton;
        WhenModal([defaultButton](TJSTaskDialogForm& form) {
            EXPECT_TRUE(form.CommonButton(defaultButton)->isDefault());
            Press(&form, Qt::Key_Return);
        });
        EXPECT_EQ(dialog.Execute(), CommonButtonResult(defaultButton));
    }
}

TEST_F(JSDialog, ModelessExecuteShowsOrBringsToFront) {
    TJSTaskDialogForm& form = Show();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(FDialog.Execute(), ExecuteShown);
    EXPECT_EQ(FDialog.Form(), &form); // only brought to the front

    // Closed, it is built again from the current properties.
    const QPointer<TJSTaskDialogForm> old(&form);
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(FDialog.ModalResult(), 2);
    FDialog.Title = QStringLiteral("Again");
    EXPECT_EQ(FDialog.Execute(), ExecuteShown);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
    ASSERT_NE(FDialog.Form(), nullptr);
    EXPECT_TRUE(FDialog.Form()->isVisible());
    EXPECT_EQ(FDialog.Form()->windowTitle(), QStringLiteral("Again"));
}

TEST_F(JSDialog, HandledClickKeepsTheWindowOpen) {
    TJSCustomButton& keep = FDialog.CustomButtons.Add();
    keep.Caption = QStringLiteral("Keep");
    keep.ModalResult = 700;
    FDialog.ButtonBar.Buttons = {cbIgnore};
    struct TClick {
        TJSControlType Type;
        int Value;
        int ModalResult;
    };
    std::vector<TClick> clicks;
    FDialog.OnControlClick = [&](TJSDialog& sender, TJSControlType type, QAbstractButton*,
                                 int value, bool& handled) {
        EXPECT_FALSE(handled);
        clicks.push_back({type, value, sender.ModalResult()});
        handled = value == keep.Value();
    };
    TJSTaskDialogForm& form = Show();

    Click(form.CustomButton(0));
    EXPECT_TRUE(form.isVisible());
    Click(form.CommonButton(cbIgnore));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(FDialog.ModalResult(), 5);

    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].Type, ctCustomButton);
    EXPECT_EQ(clicks[0].Value, 100);
    EXPECT_EQ(clicks[0].ModalResult, 700);
    EXPECT_EQ(clicks[1].Type, ctCommonButton);
    EXPECT_EQ(clicks[1].Value, cbIgnore);
    EXPECT_EQ(clicks[1].ModalResult, 5);
}

TEST_F(JSDialog, FailingClickHandlerLeavesTheWindowAsItIs) {
    FDialog.OnControlClick = [](TJSDialog&, TJSControlType, QAbstractButton*, int, bool&) {
        throw std::runtime_error("handler failed");
    };
    TJSTaskDialogForm& form = Show();
    Click(form.CommonButton(cbOK));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(JSDialog, HelpNeverCloses) {
    struct TRequest {
        THelpType Type;
        int Context;
        QString Keyword;
    };
    std::vector<TRequest> requests;
    const TJSHelpHandler previous =
        SetJSHelpHandler([&](THelpType type, int context, const QString& keyword) {
            requests.push_back({type, context, keyword});
        });
    FDialog.ButtonBar.Buttons = {cbOK, cbHelp};
    FDialog.HelpContext = 746;
    FDialog.HelpType = htKeyword;
    FDialog.HelpKeyword = QStringLiteral("Topic");
    bool clicked = false;
    FDialog.OnControlClick = [&](TJSDialog&, TJSControlType, QAbstractButton*, int, bool&) {
        clicked = true;
    };
    TJSTaskDialogForm& form = Show();

    Click(form.CommonButton(cbHelp));
    Press(&form, Qt::Key_F1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(clicked);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Type, htContext); // the button asks for the topic number
    EXPECT_EQ(requests[0].Context, 746);
    EXPECT_EQ(requests[1].Type, htKeyword); // F1 follows HelpType
    EXPECT_EQ(requests[1].Keyword, QStringLiteral("Topic"));
    SetJSHelpHandler(previous);
}

TEST_F(JSDialog, CtrlCCopiesThePlainText) {
    FDialog.Title = QStringLiteral("Title");
    FDialog.Header.Visible = true;
    FDialog.Header.Text = QStringLiteral("Head");
    FDialog.Instruction().Text = QStringLiteral("Do <b>it</b>?");
    FDialog.SetContent({QStringLiteral("<b>Item:</b> a &amp; b"), QString(), QStringLiteral("c")});
    FDialog.Verification.Visible = true;
    FDialog.Verification.Text = QStringLiteral("Again?");
    FDialog.Verification.InitialState = true;
    FDialog.CustomButtons.Add().Caption = QStringLiteral("&Allow");
    FDialog.ButtonBar.Buttons = {cbYes, cbNo};
    FDialog.Footer.Visible = true;
    FDialog.Footer.Text = QStringLiteral("Foot\r\nnote");
    TJSTaskDialogForm& form = Show();
    QApplication::clipboard()->clear();

    Press(&form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("[Window Title]\nTitle\n\n[Header]\nHead\n\n[Main Instruction]\n"
                             "Do it?\n\n[Content]\nItem: a & b\n\nc\n\n"
                             "[x] Again? [Allow] [Yes] [No]\n\n[Footer]\nFoot\nnote\n"));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(JSDialog, ButtonBarLayout) {
    FDialog.Verification.Visible = true;
    FDialog.Verification.Text = QStringLiteral("Show this dialog again?");
    for (const char* caption : {"< Previous", "Next >"}) {
        FDialog.CustomButtons.Add().Caption = QString::fromLatin1(caption);
    }
    FDialog.ButtonBar.Buttons = {cbHelp, cbYes, cbNo, cbCancel};
    TJSTaskDialogForm& form = Show();
    ASSERT_EQ(form.logicalDpiY(), 96) << "the pixel rules below hold at 96 dots per inch";

    const TJSBand* bar = form.ButtonBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->height(), 41);
    EXPECT_EQ(bar->width(), form.width());
    EXPECT_EQ(bar->geometry().bottom(), form.height() - 1); // no footer below
    // Common buttons in enumeration order, equal sizes, 6 pixels apart, 10 from the edge;
    // the custom buttons left of them in their order.
    std::vector<QPushButton*> row = {form.CustomButton(0), form.CustomButton(1)};
    for (const TCommonButton button : {cbYes, cbNo, cbCancel, cbHelp}) {
        row.push_back(form.CommonButton(button));
    }
    for (std::size_t i = 0; i < row.size(); ++i) {
        ASSERT_NE(row[i], nullptr) << i;
        if (i > 0) {
            EXPECT_EQ(row[i]->x(), row[i - 1]->geometry().right() + 1 + 6) << i;
            EXPECT_EQ(row[i]->y(), row[i - 1]->y());
        }
        if (i > 2) {
            EXPECT_EQ(row[i]->size(), row[2]->size()) << i;
        }
    }
    EXPECT_EQ(bar->width() - 1 - row.back()->geometry().right(), 10);
    EXPECT_EQ(row[2]->height(), row[0]->height());
    const QCheckBox* check = form.VerificationCheckBox();
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->pos(), QPoint(12, 15));
    EXPECT_LT(check->geometry().right(), row[0]->x());
    EXPECT_EQ(form.CommonButton(cbOK), nullptr);
}

TEST_F(JSDialog, BodyLayout) {
    FDialog.Header.Visible = true;
    FDialog.Header.Text = QStringLiteral("Header");
    FDialog.Header.Icon = tdiCustom;
    FDialog.Header.Glyph = QPixmap(32, 32);
    FDialog.MainIcon = tdiInformation;
    FDialog.Instruction().Text = QStringLiteral("An instruction");
    FDialog.SetContent({QStringLiteral("Content")});
    FDialog.Footer.Visible = true;
    FDialog.Footer.Text = QStringLiteral("Footer");
    TJSTaskDialogForm& form = Show();

    const QRect header = form.HeaderBand()->geometry();
    EXPECT_EQ(header.topLeft(), QPoint(0, 0));
    EXPECT_EQ(header.width(), form.width());
    EXPECT_EQ(header.height(),
              std::max(32 + 12, form.HeaderView()->HeightForWidth(form.HeaderView()->width()) + 8));
    EXPECT_EQ(form.HeaderView()->x(), form.HeaderBand()->GlyphRect().right() + 1 + 16);

    const QRect icon = form.MainIconLabel()->geometry();
    EXPECT_EQ(icon.topLeft(), QPoint(10, header.bottom() + 1 + 10));
    const QRect instruction = form.InstructionView()->geometry();
    EXPECT_EQ(instruction.top(), header.bottom() + 1 + 10);
    EXPECT_GT(instruction.left(), icon.right());
    EXPECT_EQ(form.width() - 1 - instruction.right(), 10);
    const QRect content = form.ContentView()->geometry();
    EXPECT_EQ(content.top(), instruction.bottom() + 1 + 15);
    EXPECT_EQ(content.left(), instruction.left());
    EXPECT_EQ(content.width(), instruction.width());
    EXPECT_GE(form.width(), 360);

    EXPECT_EQ(form.FooterBand()->geometry().bottom(), form.height() - 1);
    EXPECT_EQ(form.FooterBand()->geometry().top(), form.ButtonBar()->geometry().bottom() + 1);
}

TEST_F(JSDialog, WidthRules) {
    struct TCase {
        const char* Name;
        int Width;
        QString Instruction;
        int Buttons; // custom buttons
        int MinWidth;
        int MaxWidth;
    };
    const int screen = QGuiApplication::primaryScreen()->availableGeometry().width();
    const TCase cases[] = {
        {"short text: the minimum", 0, QStringLiteral("Hi"), 0, 360, 360},
        {"given width", 500, QStringLiteral("Hi"), 0, 500, 500},
        {"the button row always fits", 0, QStringLiteral("Hi"), 10, 361, 1 << 20},
        {"long instruction: bounded by the screen", 0, QString(2000, u'W'), 0, 361, screen},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        TJSDialog dialog;
        dialog.DialogOptions = {};
        dialog.Width = testCase.Width;
        dialog.Instruction().Text = testCase.Instruction;
        for (int i = 0; i < testCase.Buttons; ++i) {
            dialog.CustomButtons.Add().Caption = QStringLiteral("Button %1").arg(i);
        }
        dialog.Execute();
        const TJSTaskDialogForm& form = *dialog.Form();
        EXPECT_GE(form.width(), testCase.MinWidth);
        EXPECT_LE(form.width(), testCase.MaxWidth);
        const QPushButton* last = form.CommonButton(cbCancel);
        EXPECT_LE(last->geometry().right(), form.width() - 1);
        if (testCase.Buttons > 0) {
            EXPECT_GE(form.CustomButton(0)->x(), 10);
        }
    }
}

TEST_F(JSDialog, ShownWindowFollowsChanges) {
    FDialog.Instruction().Text = QStringLiteral("Before");
    FDialog.SetContent({QStringLiteral("one"), QStringLiteral("two")});
    TJSCustomButton& button = FDialog.CustomButtons.Add();
    TJSTaskDialogForm& form = Show();
    const int height = form.height();

    FDialog.SetInstructionText(QStringLiteral("After"));
    FDialog.SetContentLine(1, QStringLiteral("<b>2</b>"));
    FDialog.SetContent(QStringList(FDialog.Content())
                       << QStringLiteral("three") << QStringLiteral("four"));
    button.SetEnabled(false);

    EXPECT_EQ(form.InstructionView()->toPlainText(), QStringLiteral("After"));
    EXPECT_EQ(test::Describe(*form.ContentView()->document()),
              QStringLiteral("one\n{b}2{}\nthree\nfour"));
    EXPECT_GT(form.height(), height);
    EXPECT_FALSE(form.CustomButton(0)->isEnabled());
    EXPECT_THROW(FDialog.SetContentLine(4, QString()), EJSDialogError);
}

TEST_F(JSDialog, TextLinksReportTheirTarget) {
    FDialog.SetContent({QStringLiteral("see <a href=\"topic:1\">here</a>")});
    QStringList targets;
    FDialog.OnHyperlinkClick = [&](TJSDialog&, const QString& target) { targets << target; };
    TJSTaskDialogForm& form = Show();
    TJSTextView* view = form.ContentView();
    QTextCursor cursor(view->document());
    cursor.setPosition(6); // inside "here"
    const QPoint at = view->cursorRect(cursor).center();

    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(targets, QStringList{QStringLiteral("topic:1")});
    EXPECT_TRUE(form.isVisible());
}

TEST_F(JSDialog, DefaultFonts) {
    ASSERT_EQ(TJSDefaultFonts().size(), 5u);
    const TJSFontSettings instruction = TJSDefaultFonts()[dfInstruction];
    EXPECT_EQ(instruction.Size, 12);
    EXPECT_EQ(instruction.Color, RGBColor(0, 51, 153));
    FDialog.Instruction().Text = QStringLiteral("Instruction");
    TJSTaskDialogForm& form = Show();
    EXPECT_EQ(form.InstructionView()->font().pointSize(), 12);
    EXPECT_EQ(form.InstructionView()->palette().color(QPalette::Text), QColor(0, 51, 153));
    EXPECT_EQ(form.ContentView()->font().family(), ToQFont(TJSFontSettings{}).family());

    // Without default fonts the dialog's own fonts count; a language sets the charset.
    TJSDialog own;
    own.DialogOptions = {};
    own.UseDefaultFonts = false;
    own.Instruction().Text = QStringLiteral("Instruction");
    own.Instruction().Font = {"DejaVu Serif", 20, RGBColor(200, 0, 0), 0};
    own.Execute();
    EXPECT_EQ(own.Form()->InstructionView()->font().pointSize(), 20);
    EXPECT_EQ(own.Form()->InstructionView()->palette().color(QPalette::Text), QColor(200, 0, 0));

    TJSDefaultFonts()[dfText].Charset = 204;
    EXPECT_EQ(TJSDialog().Font.Charset, 204);
    TJSDefaultFonts() = InitialJSDefaultFonts();
}

TEST_F(JSDialog, VerificationStateOutlivesTheWindow) {
    FDialog.Verification.Visible = true;
    FDialog.Verification.Text = QStringLiteral("Again?");
    EXPECT_FALSE(FDialog.VerificationChecked());
    TJSTaskDialogForm& form = Show();
    Click(form.VerificationCheckBox());
    EXPECT_TRUE(FDialog.VerificationChecked());
    Click(form.CommonButton(cbOK));
    EXPECT_TRUE(FDialog.VerificationChecked());
}

} // namespace
} // namespace vx::taskdialog
