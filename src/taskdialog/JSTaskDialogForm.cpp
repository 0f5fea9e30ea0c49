#include "taskdialog/JSTaskDialogForm.h"

#include "taskdialog/JSDefaultFonts.h"
#include "taskdialog/JSDialog.h"
#include "taskdialog/JSLook.h"
#include "taskdialog/JSMarkup.h"
#include "taskdialog/JSWidgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QUrl>

namespace vx::taskdialog {
namespace {

constexpr const char* HeadingTitle = "[Window Title]";
constexpr const char* HeadingHeader = "[Header]";
constexpr const char* HeadingInstruction = "[Main Instruction]";
constexpr const char* HeadingContent = "[Content]";
constexpr const char* HeadingFooter = "[Footer]";
constexpr const char* CheckedBox = "[x] ";
constexpr const char* UncheckedBox = "[ ] ";

QColor OrRole(const QColor& Color, QPalette::ColorRole Role) {
    return Color.isValid() ? Color : QApplication::palette().color(Role);
}

} // namespace

TJSTaskDialogForm::TJSTaskDialogForm(TJSDialog& Dialog, QWidget* Parent)
    : QDialog(Parent), FDialog(&Dialog) {
    setObjectName(QStringLiteral("JSTaskDialogForm"));
    Qt::WindowFlags Flags =
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (Dialog.AllowCancel) {
        Flags |= Qt::WindowCloseButtonHint;
    }
    if (Dialog.AllowMinimize) {
        Flags |= Qt::WindowMinimizeButtonHint;
    }
    if (Dialog.DialogOptions.Contains(doTopMost)) {
        Flags |= Qt::WindowStaysOnTopHint;
    }
    setWindowFlags(Flags);
    setWindowTitle(Dialog.Title);
    setAutoFillBackground(true);
    QPalette Colors = palette();
    Colors.setColor(QPalette::Window, OrRole(Dialog.Color, QPalette::Base));
    setPalette(Colors);
    setFont(ToQFont(Dialog.UseDefaultFonts ? TJSDefaultFonts()[dfText] : Dialog.Font));

    BuildHeader();
    BuildBody();
    BuildButtonBar();
    BuildFooter();
    UpdateTexts();
}

TJSTaskDialogForm::~TJSTaskDialogForm() = default;

void TJSTaskDialogForm::BuildHeader() {
    const THeaderOptions& Header = FDialog->Header;
    if (!Header.Visible) {
        return;
    }
    FHeader = new TJSBand(this);
    FHeader->setObjectName(QStringLiteral("HeaderBand"));
    if (Header.Gradient.Enabled) {
        FHeader->SetGradient(Header.Gradient.StartColor, Header.Gradient.EndColor,
                             Header.Gradient.Direction);
    } else {
        FHeader->SetColor(OrRole(Header.Color, QPalette::Base));
    }
    QPixmap Glyph;
    if (Header.Icon == tdiCustom) {
        Glyph = Header.Glyph;
    } else if (const QIcon Icon = StandardIcon(Header.Icon); !Icon.isNull()) {
        const int Edge = Scaled(IconPixels(Header.IconSize));
        Glyph = Icon.pixmap(QSize(Edge, Edge), devicePixelRatioF());
    }
    FHeader->SetGlyph(Glyph, QPoint());
    FHeaderText = new TJSTextView(FHeader);
    FHeaderText->setObjectName(QStringLiteral("HeaderText"));
    FHeaderText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FHeaderText->setFont(ToQFont(Header.Font));
    FHeaderText->SetTextColor(ToQColor(Header.Font.Color));
    FHeaderText->setHtml(MarkupToHtml(Header.Text));
    connect(FHeaderText, &QTextBrowser::anchorClicked, this, [this](const QUrl& Target) {
        if (FDialog) {
            FDialog->LinkClicked(Target.toString());
        }
    });
}

void TJSTaskDialogForm::BuildBody() {
    const QIcon Icon = StandardIcon(FDialog->MainIcon);
    if (!Icon.isNull()) {
        FMainIcon = new QLabel(this);
        FMainIcon->setObjectName(QStringLiteral("MainIcon"));
        const int Edge = Scaled(IconPixels(isLarge));
        FMainIcon->setPixmap(Icon.pixmap(QSize(Edge, Edge), devicePixelRatioF()));
    }
    const auto AddView = [this](const char* Name) {
        auto* View = new TJSTextView(this);
        View->setObjectName(QLatin1String(Name));
        connect(View, &QTextBrowser::anchorClicked, this, [this](const QUrl& Target) {
            if (FDialog) {
                FDialog->LinkClicked(Target.toString());
            }
        });
        return View;
    };
    FInstruction = AddView("Instruction");
    FInstruction->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const TJSFontSettings& InstructionFont =
        FDialog->UseDefaultFonts ? TJSDefaultFonts()[dfInstruction] : FDialog->Instruction().Font;
    FInstruction->setFont(ToQFont(InstructionFont));
    FInstruction->SetTextColor(ToQColor(InstructionFont.Color));
    FContent = AddView("Content");
    const TJSFontSettings& TextFont =
        FDialog->UseDefaultFonts ? TJSDefaultFonts()[dfText] : FDialog->Font;
    FContent->SetTextColor(ToQColor(TextFont.Color));
}

QPushButton* TJSTaskDialogForm::AddButton(const QString& Caption) {
    auto* Button = new QPushButton(Caption, FButtonBar);
    Button->setAutoDefault(false);
    return Button;
}

void TJSTaskDialogForm::BuildButtonBar() {
    const TButtonBarOptions& Bar = FDialog->ButtonBar;
    if (!Bar.Visible) {
        return;
    }
    FButtonBar = new TJSBand(this);
    FButtonBar->setObjectName(QStringLiteral("ButtonBar"));
    const QColor Face = OrRole(Bar.Color, QPalette::Button);
    FButtonBar->SetColor(Face);
    if (Bar.ShowDivider) {
        FButtonBar->SetDivider(Face.darker(115));
    }
    if (FDialog->Verification.Visible) {
        FVerification = new QCheckBox(FDialog->Verification.Text, FButtonBar);
        FVerification->setObjectName(QStringLiteral("Verification"));
        FVerification->setChecked(FDialog->Verification.InitialState);
    }

    QPushButton* DefaultButton = nullptr;
    for (int Index = 0; Index < FDialog->CustomButtons.Count(); ++Index) {
        const TJSCustomButton& Item = FDialog->CustomButtons.Items(Index);
        QPushButton* Button = AddButton(Item.Caption);
        Button->setObjectName(QStringLiteral("CustomButton%1").arg(Index));
        Button->setVisible(Item.Visible);
        Button->setEnabled(Item.Enabled());
        connect(Button, &QPushButton::clicked, this, [this, Index] { CustomButtonClicked(Index); });
        FCustomButtons.push_back(Button);
        if (Item.Default && DefaultButton == nullptr) {
            DefaultButton = Button;
        }
        if (Item.Cancel && FCancelButton == nullptr) {
            FCancelButton = Button;
        }
    }
    for (int Value = 0; Value < CommonButtonCount; ++Value) {
        const auto Common = static_cast<TCommonButton>(Value);
        if (!Bar.Buttons.Contains(Common)) {
            continue;
        }
        QPushButton* Button = AddButton(QString::fromUtf8(CommonButtonCaption(Common)));
        Button->setObjectName(QStringLiteral("CommonButton%1").arg(Value));
        connect(Button, &QPushButton::clicked, this,
                [this, Common] { CommonButtonClicked(Common); });
        FCommonButtons[static_cast<std::size_t>(Value)] = Button;
    }
    if (DefaultButton == nullptr && Bar.UseDefault) {
        DefaultButton = CommonButton(Bar.Default);
    }
    if (FCancelButton == nullptr && Bar.UseCancel) {
        FCancelButton = CommonButton(Bar.Cancel);
    }
    if (DefaultButton != nullptr) {
        DefaultButton->setDefault(true);
        DefaultButton->setFocus();
    }
}

void TJSTaskDialogForm::BuildFooter() {
    const TFooterOptions& Footer = FDialog->Footer;
    if (!Footer.Visible) {
        return;
    }
    FFooter = new TJSBand(this);
    FFooter->setObjectName(QStringLiteral("FooterBand"));
    const QColor Face = OrRole(Footer.Color, QPalette::Button);
    FFooter->SetColor(Face);
    FFooter->SetDivider(Face.darker(115));
    FFooterText = new TJSTextView(FFooter);
    FFooterText->setObjectName(QStringLiteral("FooterText"));
    FFooterText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const TJSFontSettings& FooterFont =
        FDialog->UseDefaultFonts ? TJSDefaultFonts()[dfFooter] : Footer.Font;
    FFooterText->setFont(ToQFont(FooterFont));
    FFooterText->SetTextColor(ToQColor(FooterFont.Color));
    FFooterText->setHtml(MarkupToHtml(Footer.Text));
    connect(FFooterText, &QTextBrowser::anchorClicked, this, [this](const QUrl& Target) {
        if (FDialog) {
            FDialog->LinkClicked(Target.toString());
        }
    });
}

QPushButton* TJSTaskDialogForm::CommonButton(TCommonButton Button) const {
    return FCommonButtons.at(static_cast<std::size_t>(Button));
}

QPushButton* TJSTaskDialogForm::CustomButton(int Index) const {
    if (Index < 0 || static_cast<std::size_t>(Index) >= FCustomButtons.size()) {
        return nullptr;
    }
    return FCustomButtons[static_cast<std::size_t>(Index)];
}

void TJSTaskDialogForm::UpdateTexts() {
    if (FDialog == nullptr) {
        return;
    }
    const QString& Instruction = FDialog->Instruction().Text;
    FInstruction->setHtml(MarkupToHtml(Instruction));
    FInstruction->setVisible(!Instruction.isEmpty());
    FContent->setHtml(MarkupLinesToHtml(FDialog->Content()));
    FContent->setVisible(!FDialog->Content().isEmpty());
    LayoutForm();
}

void TJSTaskDialogForm::UpdateCustomButton(int Index) {
    QPushButton* Button = CustomButton(Index);
    if (FDialog != nullptr && Button != nullptr) {
        Button->setEnabled(FDialog->CustomButtons.Items(Index).Enabled());
    }
}

void TJSTaskDialogForm::CommonButtonClicked(TCommonButton Button) {
    if (FDialog == nullptr) {
        return;
    }
    if (Button == cbHelp) {
        FDialog->HelpRequested(htContext);
        return;
    }
    ReportClick(ctCommonButton, CommonButton(Button), Button, CommonButtonResult(Button));
}

void TJSTaskDialogForm::CustomButtonClicked(int Index) {
    if (FDialog == nullptr) {
        return;
    }
    const TJSCustomButton& Item = FDialog->CustomButtons.Items(Index);
    ReportClick(ctCustomButton, CustomButton(Index), Item.Value(), Item.ModalResult);
}

void TJSTaskDialogForm::ReportClick(TJSControlType ControlType, QAbstractButton* Control, int Value,
                                    int Result) {
    // The handler may run a nested event loop in which this window is replaced.
    const QPointer<TJSTaskDialogForm> Self(this);
    const bool Handled = FDialog->ButtonClicked(ControlType, Control, Value, Result);
    if (Self && FDialog != nullptr && !Handled) {
        CloseWith(Result);
    }
}

void TJSTaskDialogForm::CloseWith(int Result) {
    if (FDialog != nullptr) {
        FDialog->SetModalResult(Result);
        FDialog->FormClosing(FVerification != nullptr && FVerification->isChecked());
    }
    done(Result);
}

void TJSTaskDialogForm::CancelPressed() {
    if (FCancelButton != nullptr && !FCancelButton->isHidden() && FCancelButton->isEnabled()) {
        FCancelButton->click();
    } else if (FDialog != nullptr && FDialog->AllowCancel) {
        CloseWith(mrCancel);
    }
}

void TJSTaskDialogForm::reject() {
    // What the window system's close request and QDialog's own Escape handling end in.
    if (FDialog == nullptr) {
        QDialog::reject();
    } else if (FDialog->AllowCancel) {
        CloseWith(mrCancel);
    }
}

void TJSTaskDialogForm::closeEvent(QCloseEvent* Event) {
    if (FDialog == nullptr) {
        QDialog::closeEvent(Event);
        return;
    }
    if (!FDialog->AllowCancel) {
        Event->ignore();
        return;
    }
    if (isVisible()) {
        CloseWith(mrCancel);
    }
    Event->accept();
}

void TJSTaskDialogForm::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    KeepOnScreen(); // now the frame's size is known
}

void TJSTaskDialogForm::keyPressEvent(QKeyEvent* Event) {
    if (Event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        return;
    }
    if (Event->key() == Qt::Key_Escape && Event->modifiers() == Qt::NoModifier) {
        CancelPressed();
        return;
    }
    if (Event->key() == Qt::Key_F1 && FDialog != nullptr) {
        FDialog->HelpRequested(FDialog->HelpType);
        return;
    }
    QDialog::keyPressEvent(Event);
}

void TJSTaskDialogForm::CopyToClipboard() {
    QApplication::clipboard()->setText(ClipboardText());
    QApplication::beep();
}

QString TJSTaskDialogForm::ClipboardText() const {
    if (FDialog == nullptr) {
        return {};
    }
    QStringList Sections;
    const auto AddSection = [&Sections](const char* Heading, const QString& Text) {
        Sections << QLatin1String(Heading) + u'\n' + Text;
    };
    AddSection(HeadingTitle, FDialog->Title);
    if (FDialog->Header.Visible && !FDialog->Header.Text.isEmpty()) {
        AddSection(HeadingHeader, MarkupToPlainText(FDialog->Header.Text));
    }
    if (!FDialog->Instruction().Text.isEmpty()) {
        AddSection(HeadingInstruction, MarkupToPlainText(FDialog->Instruction().Text));
    }
    if (!FDialog->Content().isEmpty()) {
        QStringList Lines;
        for (const QString& Line : FDialog->Content()) {
            Lines << MarkupToPlainText(Line);
        }
        AddSection(HeadingContent, Lines.join(u'\n'));
    }
    QStringList Controls;
    if (FVerification != nullptr) {
        Controls << QLatin1String(FVerification->isChecked() ? CheckedBox : UncheckedBox) +
                        FVerification->text();
    }
    const auto AddButtonCaption = [&Controls](const QPushButton* Button) {
        if (Button != nullptr && !Button->isHidden()) {
            Controls << u'[' + CaptionWithoutAccelerator(Button->text()) + u']';
        }
    };
    for (const QPushButton* Button : FCustomButtons) {
        AddButtonCaption(Button);
    }
    for (const QPushButton* Button : FCommonButtons) {
        AddButtonCaption(Button);
    }
    if (!Controls.isEmpty()) {
        Sections << Controls.join(u' ');
    }
    if (FDialog->Footer.Visible && !FDialog->Footer.Text.isEmpty()) {
        AddSection(HeadingFooter, MarkupToPlainText(FDialog->Footer.Text));
    }
    return Sections.join(QLatin1String("\n\n")) + u'\n';
}

} // namespace vx::taskdialog
