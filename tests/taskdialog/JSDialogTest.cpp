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
        TJSTaskDialogForm* Form = FDialog.Form();
        EXPECT_NE(Form, nullptr);
        return *Form;
    }

    TJSDialog FDialog;
};

TEST_F(JSDialog, Defaults) {
    const TJSDialog Fresh;
    EXPECT_TRUE(Fresh.ButtonBar.Buttons == (TCommonButtons{cbOK, cbCancel}));
    EXPECT_EQ(Fresh.ButtonBar.Default, cbOK);
    EXPECT_EQ(Fresh.ButtonBar.Cancel, cbCancel);
    EXPECT_TRUE(Fresh.ButtonBar.UseDefault && Fresh.ButtonBar.UseCancel);
    EXPECT_TRUE(Fresh.DialogOptions == TDialogOptions{doModal});
    EXPECT_EQ(Fresh.MainIcon, tdiNone);
    EXPECT_EQ(Fresh.HelpType, htContext);
    EXPECT_EQ(Fresh.Position, dpScreenCenter);
    EXPECT_EQ(Fresh.Width, 0);
    EXPECT_TRUE(Fresh.UseDefaultFonts && Fresh.AllowCancel && !Fresh.AllowMinimize);
    EXPECT_FALSE(Fresh.Header.Visible || Fresh.Footer.Visible || Fresh.Verification.Visible);
    EXPECT_EQ(Fresh.Header.IconSize, isLarge);
    EXPECT_EQ(Fresh.Form(), nullptr);
}

TEST_F(JSDialog, CustomButtonsNumberFromOneHundred) {
    for (int Index = 0; Index < 3; ++Index) {
        EXPECT_EQ(FDialog.CustomButtons.Add().Value(), 100 + Index);
    }
    EXPECT_EQ(FDialog.CustomButtons.Items(2).Value(), 102);
    EXPECT_THROW(FDialog.CustomButtons.Items(3), EJSDialogError);
    EXPECT_THROW(FDialog.CustomButtons.Items(-1), EJSDialogError);
}

// Each common button closes a modal dialog with its result.
TEST(JSDialogModal, EachCommonButtonGivesItsResult) {
    const std::pair<TCommonButton, int> Cases[] = {
        {cbYes, 6},    {cbNo, 7},  {cbOK, 1},      {cbCancel, 2},    {cbAbort, 3}, {cbRetry, 4},
        {cbIgnore, 5}, {cbAll, 8}, {cbNoToAll, 9}, {cbYesToAll, 10}, {cbClose, 0},
    };
    for (const auto& [Button, Result] : Cases) {
        SCOPED_TRACE(CommonButtonCaption(Button));
        TJSDialog Dialog;
        Dialog.ButtonBar.Buttons = {Button, cbHelp};
        WhenModal([Button = Button](TJSTaskDialogForm& Form) { Click(Form.CommonButton(Button)); });
        EXPECT_EQ(Dialog.Execute(), Result);
        EXPECT_EQ(Dialog.ModalResult(), Result);
        EXPECT_EQ(Dialog.Form(), nullptr); // a modal window is freed
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
    const TCase Cases[] = {
        {"close box", {cbYes, cbNo}, cbNo, true, false, 2},
        {"Escape clicks the cancel button", {cbYes, cbNo}, cbNo, true, true, 7},
        {"Escape without a cancel button closes", {cbYes, cbNo}, cbCancel, true, true, 2},
        {"Escape with Cancel", {cbOK, cbCancel}, cbCancel, true, true, 2},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TJSDialog Dialog;
        Dialog.ButtonBar.Buttons = Case.Buttons;
        Dialog.ButtonBar.Cancel = Case.Cancel;
        Dialog.AllowCancel = Case.AllowCancel;
        WhenModal([Escape = Case.Escape](TJSTaskDialogForm& Form) {
            if (Escape) {
                Press(&Form, Qt::Key_Escape);
            } else {
                Form.close();
            }
        });
        EXPECT_EQ(Dialog.Execute(), Case.Result);
    }
}

TEST(JSDialogModal, WithoutAllowCancelOnlyAButtonCloses) {
    TJSDialog Dialog;
    Dialog.ButtonBar.Buttons = {cbOK};
    Dialog.ButtonBar.Cancel = cbCancel;
    Dialog.AllowCancel = false;
    bool StayedOpen = false;
    WhenModal([&](TJSTaskDialogForm& Form) {
        Form.close();
        Press(&Form, Qt::Key_Escape);
        StayedOpen = Form.isVisible();
        Click(Form.CommonButton(cbOK));
    });
    EXPECT_EQ(Dialog.Execute(), 1);
    EXPECT_TRUE(StayedOpen);
}

TEST(JSDialogModal, EnterClicksTheDefaultButton) {
    for (const TCommonButton Default : {cbYes, cbNo}) {
        TJSDialog Dialog;
        Dialog.ButtonBar.Buttons = {cbYes, cbNo};
        Dialog.ButtonBar.Default = Default;
        WhenModal([Default](TJSTaskDialogForm& Form) {
            EXPECT_TRUE(Form.CommonButton(Default)->isDefault());
            Press(&Form, Qt::Key_Return);
        });
        EXPECT_EQ(Dialog.Execute(), CommonButtonResult(Default));
    }
}

TEST_F(JSDialog, ModelessExecuteShowsOrBringsToFront) {
    TJSTaskDialogForm& Form = Show();
    EXPECT_TRUE(Form.isVisible());
    EXPECT_EQ(FDialog.Execute(), ExecuteShown);
    EXPECT_EQ(FDialog.Form(), &Form); // only brought to the front

    // Closed, it is built again from the current properties.
    const QPointer<TJSTaskDialogForm> Old(&Form);
    Form.close();
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(FDialog.ModalResult(), 2);
    FDialog.Title = QStringLiteral("Again");
    EXPECT_EQ(FDialog.Execute(), ExecuteShown);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Old.isNull());
    ASSERT_NE(FDialog.Form(), nullptr);
    EXPECT_TRUE(FDialog.Form()->isVisible());
    EXPECT_EQ(FDialog.Form()->windowTitle(), QStringLiteral("Again"));
}

TEST_F(JSDialog, HandledClickKeepsTheWindowOpen) {
    TJSCustomButton& Keep = FDialog.CustomButtons.Add();
    Keep.Caption = QStringLiteral("Keep");
    Keep.ModalResult = 700;
    FDialog.ButtonBar.Buttons = {cbIgnore};
    struct TClick {
        TJSControlType Type;
        int Value;
        int ModalResult;
    };
    std::vector<TClick> Clicks;
    FDialog.OnControlClick = [&](TJSDialog& Sender, TJSControlType Type, QAbstractButton*,
                                 int Value, bool& Handled) {
        EXPECT_FALSE(Handled);
        Clicks.push_back({Type, Value, Sender.ModalResult()});
        Handled = Value == Keep.Value();
    };
    TJSTaskDialogForm& Form = Show();

    Click(Form.CustomButton(0));
    EXPECT_TRUE(Form.isVisible());
    Click(Form.CommonButton(cbIgnore));
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(FDialog.ModalResult(), 5);

    ASSERT_EQ(Clicks.size(), 2u);
    EXPECT_EQ(Clicks[0].Type, ctCustomButton);
    EXPECT_EQ(Clicks[0].Value, 100);
    EXPECT_EQ(Clicks[0].ModalResult, 700);
    EXPECT_EQ(Clicks[1].Type, ctCommonButton);
    EXPECT_EQ(Clicks[1].Value, cbIgnore);
    EXPECT_EQ(Clicks[1].ModalResult, 5);
}

TEST_F(JSDialog, FailingClickHandlerLeavesTheWindowAsItIs) {
    FDialog.OnControlClick = [](TJSDialog&, TJSControlType, QAbstractButton*, int, bool&) {
        throw std::runtime_error("handler failed");
    };
    TJSTaskDialogForm& Form = Show();
    Click(Form.CommonButton(cbOK));
    EXPECT_TRUE(Form.isVisible());
}

TEST_F(JSDialog, HelpNeverCloses) {
    struct TRequest {
        THelpType Type;
        int Context;
        QString Keyword;
    };
    std::vector<TRequest> Requests;
    const TJSHelpHandler Previous =
        SetJSHelpHandler([&](THelpType Type, int Context, const QString& Keyword) {
            Requests.push_back({Type, Context, Keyword});
        });
    FDialog.ButtonBar.Buttons = {cbOK, cbHelp};
    FDialog.HelpContext = 746;
    FDialog.HelpType = htKeyword;
    FDialog.HelpKeyword = QStringLiteral("Topic");
    bool Clicked = false;
    FDialog.OnControlClick = [&](TJSDialog&, TJSControlType, QAbstractButton*, int, bool&) {
        Clicked = true;
    };
    TJSTaskDialogForm& Form = Show();

    Click(Form.CommonButton(cbHelp));
    Press(&Form, Qt::Key_F1);
    EXPECT_TRUE(Form.isVisible());
    EXPECT_FALSE(Clicked);
    ASSERT_EQ(Requests.size(), 2u);
    EXPECT_EQ(Requests[0].Type, htContext); // the button asks for the topic number
    EXPECT_EQ(Requests[0].Context, 746);
    EXPECT_EQ(Requests[1].Type, htKeyword); // F1 follows HelpType
    EXPECT_EQ(Requests[1].Keyword, QStringLiteral("Topic"));
    SetJSHelpHandler(Previous);
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
    TJSTaskDialogForm& Form = Show();
    QApplication::clipboard()->clear();

    Press(&Form, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("[Window Title]\nTitle\n\n[Header]\nHead\n\n[Main Instruction]\n"
                             "Do it?\n\n[Content]\nItem: a & b\n\nc\n\n"
                             "[x] Again? [Allow] [Yes] [No]\n\n[Footer]\nFoot\nnote\n"));
    EXPECT_TRUE(Form.isVisible());
}

TEST_F(JSDialog, ButtonBarLayout) {
    FDialog.Verification.Visible = true;
    FDialog.Verification.Text = QStringLiteral("Show this dialog again?");
    for (const char* Caption : {"< Previous", "Next >"}) {
        FDialog.CustomButtons.Add().Caption = QString::fromLatin1(Caption);
    }
    FDialog.ButtonBar.Buttons = {cbHelp, cbYes, cbNo, cbCancel};
    TJSTaskDialogForm& Form = Show();
    ASSERT_EQ(Form.logicalDpiY(), 96) << "the pixel rules below hold at 96 dots per inch";

    const TJSBand* Bar = Form.ButtonBar();
    ASSERT_NE(Bar, nullptr);
    EXPECT_EQ(Bar->height(), 41);
    EXPECT_EQ(Bar->width(), Form.width());
    EXPECT_EQ(Bar->geometry().bottom(), Form.height() - 1); // no footer below
    // Common buttons in enumeration order, equal sizes, 6 pixels apart, 10 from the edge;
    // the custom buttons left of them in their order.
    std::vector<QPushButton*> Row = {Form.CustomButton(0), Form.CustomButton(1)};
    for (const TCommonButton Button : {cbYes, cbNo, cbCancel, cbHelp}) {
        Row.push_back(Form.CommonButton(Button));
    }
    for (std::size_t I = 0; I < Row.size(); ++I) {
        ASSERT_NE(Row[I], nullptr) << I;
        if (I > 0) {
            EXPECT_EQ(Row[I]->x(), Row[I - 1]->geometry().right() + 1 + 6) << I;
            EXPECT_EQ(Row[I]->y(), Row[I - 1]->y());
        }
        if (I > 2) {
            EXPECT_EQ(Row[I]->size(), Row[2]->size()) << I;
        }
    }
    EXPECT_EQ(Bar->width() - 1 - Row.back()->geometry().right(), 10);
    EXPECT_EQ(Row[2]->height(), Row[0]->height());
    const QCheckBox* Check = Form.VerificationCheckBox();
    ASSERT_NE(Check, nullptr);
    EXPECT_EQ(Check->pos(), QPoint(12, 15));
    EXPECT_LT(Check->geometry().right(), Row[0]->x());
    EXPECT_EQ(Form.CommonButton(cbOK), nullptr);
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
    TJSTaskDialogForm& Form = Show();

    const QRect Header = Form.HeaderBand()->geometry();
    EXPECT_EQ(Header.topLeft(), QPoint(0, 0));
    EXPECT_EQ(Header.width(), Form.width());
    EXPECT_EQ(Header.height(),
              std::max(32 + 12, Form.HeaderView()->HeightForWidth(Form.HeaderView()->width()) + 8));
    EXPECT_EQ(Form.HeaderView()->x(), Form.HeaderBand()->GlyphRect().right() + 1 + 16);

    const QRect Icon = Form.MainIconLabel()->geometry();
    EXPECT_EQ(Icon.topLeft(), QPoint(10, Header.bottom() + 1 + 10));
    const QRect Instruction = Form.InstructionView()->geometry();
    EXPECT_EQ(Instruction.top(), Header.bottom() + 1 + 10);
    EXPECT_GT(Instruction.left(), Icon.right());
    EXPECT_EQ(Form.width() - 1 - Instruction.right(), 10);
    const QRect Content = Form.ContentView()->geometry();
    EXPECT_EQ(Content.top(), Instruction.bottom() + 1 + 15);
    EXPECT_EQ(Content.left(), Instruction.left());
    EXPECT_EQ(Content.width(), Instruction.width());
    EXPECT_GE(Form.width(), 360);

    EXPECT_EQ(Form.FooterBand()->geometry().bottom(), Form.height() - 1);
    EXPECT_EQ(Form.FooterBand()->geometry().top(), Form.ButtonBar()->geometry().bottom() + 1);
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
    const int Screen = QGuiApplication::primaryScreen()->availableGeometry().width();
    const TCase Cases[] = {
        {"short text: the minimum", 0, QStringLiteral("Hi"), 0, 360, 360},
        {"given width", 500, QStringLiteral("Hi"), 0, 500, 500},
        {"the button row always fits", 0, QStringLiteral("Hi"), 10, 361, 1 << 20},
        {"long instruction: bounded by the screen", 0, QString(2000, u'W'), 0, 361, Screen},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TJSDialog Dialog;
        Dialog.DialogOptions = {};
        Dialog.Width = Case.Width;
        Dialog.Instruction().Text = Case.Instruction;
        for (int I = 0; I < Case.Buttons; ++I) {
            Dialog.CustomButtons.Add().Caption = QStringLiteral("Button %1").arg(I);
        }
        Dialog.Execute();
        const TJSTaskDialogForm& Form = *Dialog.Form();
        EXPECT_GE(Form.width(), Case.MinWidth);
        EXPECT_LE(Form.width(), Case.MaxWidth);
        const QPushButton* Last = Form.CommonButton(cbCancel);
        EXPECT_LE(Last->geometry().right(), Form.width() - 1);
        if (Case.Buttons > 0) {
            EXPECT_GE(Form.CustomButton(0)->x(), 10);
        }
    }
}

TEST_F(JSDialog, ShownWindowFollowsChanges) {
    FDialog.Instruction().Text = QStringLiteral("Before");
    FDialog.SetContent({QStringLiteral("one"), QStringLiteral("two")});
    TJSCustomButton& Button = FDialog.CustomButtons.Add();
    TJSTaskDialogForm& Form = Show();
    const int Height = Form.height();

    FDialog.SetInstructionText(QStringLiteral("After"));
    FDialog.SetContentLine(1, QStringLiteral("<b>2</b>"));
    FDialog.SetContent(QStringList(FDialog.Content())
                       << QStringLiteral("three") << QStringLiteral("four"));
    Button.SetEnabled(false);

    EXPECT_EQ(Form.InstructionView()->toPlainText(), QStringLiteral("After"));
    EXPECT_EQ(test::Describe(*Form.ContentView()->document()),
              QStringLiteral("one\n{b}2{}\nthree\nfour"));
    EXPECT_GT(Form.height(), Height);
    EXPECT_FALSE(Form.CustomButton(0)->isEnabled());
    EXPECT_THROW(FDialog.SetContentLine(4, QString()), EJSDialogError);
}

TEST_F(JSDialog, TextLinksReportTheirTarget) {
    FDialog.SetContent({QStringLiteral("see <a href=\"topic:1\">here</a>")});
    QStringList Targets;
    FDialog.OnHyperlinkClick = [&](TJSDialog&, const QString& Target) { Targets << Target; };
    TJSTaskDialogForm& Form = Show();
    TJSTextView* View = Form.ContentView();
    QTextCursor Cursor(View->document());
    Cursor.setPosition(6); // inside "here"
    const QPoint At = View->cursorRect(Cursor).center();

    QTest::mouseClick(View->viewport(), Qt::LeftButton, Qt::NoModifier, At);
    EXPECT_EQ(Targets, QStringList{QStringLiteral("topic:1")});
    EXPECT_TRUE(Form.isVisible());
}

TEST_F(JSDialog, DefaultFonts) {
    ASSERT_EQ(TJSDefaultFonts().size(), 5u);
    const TJSFontSettings Instruction = TJSDefaultFonts()[dfInstruction];
    EXPECT_EQ(Instruction.Size, 12);
    EXPECT_EQ(Instruction.Color, RGBColor(0, 51, 153));
    FDialog.Instruction().Text = QStringLiteral("Instruction");
    TJSTaskDialogForm& Form = Show();
    EXPECT_EQ(Form.InstructionView()->font().pointSize(), 12);
    EXPECT_EQ(Form.InstructionView()->palette().color(QPalette::Text), QColor(0, 51, 153));
    EXPECT_EQ(Form.ContentView()->font().family(), ToQFont(TJSFontSettings{}).family());

    // Without default fonts the dialog's own fonts count; a language sets the charset.
    TJSDialog Own;
    Own.DialogOptions = {};
    Own.UseDefaultFonts = false;
    Own.Instruction().Text = QStringLiteral("Instruction");
    Own.Instruction().Font = {"DejaVu Serif", 20, RGBColor(200, 0, 0), 0};
    Own.Execute();
    EXPECT_EQ(Own.Form()->InstructionView()->font().pointSize(), 20);
    EXPECT_EQ(Own.Form()->InstructionView()->palette().color(QPalette::Text), QColor(200, 0, 0));

    TJSDefaultFonts()[dfText].Charset = 204;
    EXPECT_EQ(TJSDialog().Font.Charset, 204);
    TJSDefaultFonts() = InitialJSDefaultFonts();
}

TEST_F(JSDialog, VerificationStateOutlivesTheWindow) {
    FDialog.Verification.Visible = true;
    FDialog.Verification.Text = QStringLiteral("Again?");
    EXPECT_FALSE(FDialog.VerificationChecked());
    TJSTaskDialogForm& Form = Show();
    Click(Form.VerificationCheckBox());
    EXPECT_TRUE(FDialog.VerificationChecked());
    Click(Form.CommonButton(cbOK));
    EXPECT_TRUE(FDialog.VerificationChecked());
}

} // namespace
} // namespace vx::taskdialog
