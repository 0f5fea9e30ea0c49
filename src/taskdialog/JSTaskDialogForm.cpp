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
#include <QShortcut>
#include <QTimer>
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
// How often, for how long after a placement and how many times at most the window's place
// is looked at and mended while the window system settles it.
constexpr int SettleTick = 50;
constexpr qint64 SettleMilliseconds = 1000;
constexpr int MaxPlacementRetries = 4;

QColor OrRole(const QColor& color, QPalette::ColorRole role) {
    return color.isValid() ? color : QApplication::palette().color(role);
}

} // namespace

TJSTaskDialogForm::TJSTaskDialogForm(TJSDialog& dialog, QWidget* parent)
    : QDialog(parent), FDialog(&dialog) {
    setObjectName(QStringLiteral("JSTaskDialogForm"));
    Qt::WindowFlags flags =
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    if (dialog.AllowCancel) {
        flags |= Qt::WindowCloseButtonHint;
    }
    if (dialog.AllowMinimize) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    if (dialog.DialogOptions.Contains(doTopMost)) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    setWindowFlags(flags);
    setWindowTitle(dialog.Title);
    setAutoFillBackground(true);
    QPalette colors = palette();
    colors.setColor(QPalette::Window, OrRole(dialog.Color, QPalette::Base));
    setPalette(colors);
    setFont(ToQFont(dialog.UseDefaultFonts ? TJSDefaultFonts()[dfText] : dialog.Font));

    FSettleTimer = new QTimer(this);
    FSettleTimer->setInterval(SettleTick);
    connect(FSettleTimer, &QTimer::timeout, this, [this] { CheckPlacement(); });
    FInputDelayTimer = new QTimer(this);
    FInputDelayTimer->setSingleShot(true);
    connect(FInputDelayTimer, &QTimer::timeout, this, [this] {
        FInputDelayed = false;
        UpdateCustomButtons();
    });

    BuildHeader();
    BuildBody();
    BuildButtonBar();
    BuildFooter();
    UpdateTexts();
}

TJSTaskDialogForm::~TJSTaskDialogForm() = default;

void TJSTaskDialogForm::BuildHeader() {
    const THeaderOptions& header = FDialog->Header;
    if (!header.Visible) {
        return;
    }
    FHeader = new TJSBand(this);
    FHeader->setObjectName(QStringLiteral("HeaderBand"));
    if (header.Gradient.Enabled) {
        FHeader->SetGradient(header.Gradient.StartColor, header.Gradient.EndColor,
                             header.Gradient.Direction);
    } else {
        FHeader->SetColor(OrRole(header.Color, QPalette::Base));
    }
    QPixmap glyph;
    if (header.Icon == tdiCustom) {
        glyph = header.Glyph;
    } else if (const QIcon icon = StandardIcon(header.Icon); !icon.isNull()) {
        const int edge = Scaled(IconPixels(header.IconSize));
        glyph = icon.pixmap(QSize(edge, edge), devicePixelRatioF());
    }
    FHeader->SetGlyph(glyph, QPoint());
    FHeaderText = new TJSTextView(FHeader);
    FHeaderText->setObjectName(QStringLiteral("HeaderText"));
    FHeaderText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    FHeaderText->setFont(ToQFont(header.Font));
    FHeaderText->SetTextColor(ToQColor(header.Font.Color));
    FHeaderText->setHtml(MarkupToHtml(header.Text));
    connect(FHeaderText, &QTextBrowser::anchorClicked, this, [this](const QUrl& target) {
        if (FDialog) {
            FDialog->LinkClicked(target.toString());
        }
    });
}

void TJSTaskDialogForm::BuildBody() {
    const QIcon icon = StandardIcon(FDialog->MainIcon);
    if (!icon.isNull()) {
        FMainIcon = new QLabel(this);
        FMainIcon->setObjectName(QStringLiteral("MainIcon"));
        const int edge = Scaled(IconPixels(isLarge));
        FMainIcon->setPixmap(icon.pixmap(QSize(edge, edge), devicePixelRatioF()));
    }
    const auto addView = [this](const char* name) {
        auto* view = new TJSTextView(this);
        view->setObjectName(QLatin1String(name));
        connect(view, &QTextBrowser::anchorClicked, this, [this](const QUrl& target) {
            if (FDialog) {
                FDialog->LinkClicked(target.toString());
            }
        });
        return view;
    };
    FInstruction = addView("Instruction");
    FInstruction->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const TJSFontSettings& instructionFont =
        FDialog->UseDefaultFonts ? TJSDefaultFonts()[dfInstruction] : FDialog->Instruction().Font;
    FInstruction->setFont(ToQFont(instructionFont));
    FInstruction->SetTextColor(ToQColor(instructionFont.Color));
    FContent = addView("Content");
    const TJSFontSettings& textFont =
        FDialog->UseDefaultFonts ? TJSDefaultFonts()[dfText] : FDialog->Font;
    FContent->SetTextColor(ToQColor(textFont.Color));
}

QPushButton* TJSTaskDialogForm::AddButton(const QString& caption) {
    auto* button = new QPushButton(caption, FButtonBar);
    button->setAutoDefault(false);
    return button;
}

void TJSTaskDialogForm::BuildButtonBar() {
    const TButtonBarOptions& bar = FDialog->ButtonBar;
    if (!bar.Visible) {
        return;
    }
    FButtonBar = new TJSBand(this);
    FButtonBar->setObjectName(QStringLiteral("ButtonBar"));
    const QColor face = OrRole(bar.Color, QPalette::Button);
    FButtonBar->SetColor(face);
    if (bar.ShowDivider) {
        FButtonBar->SetDivider(face.darker(115));
    }
    if (FDialog->Verification.Visible) {
        FVerification = new QCheckBox(FDialog->Verification.Text, FButtonBar);
        FVerification->setObjectName(QStringLiteral("Verification"));
        FVerification->setChecked(FDialog->Verification.InitialState);
    }

    QPushButton* defaultButton = nullptr;
    for (int index = 0; index < FDialog->CustomButtons.Count(); ++index) {
        const TJSCustomButton& item = FDialog->CustomButtons.Items(index);
        QPushButton* button = AddButton(item.Caption);
        button->setObjectName(QStringLiteral("CustomButton%1").arg(index));
        button->setVisible(item.Visible);
        button->setEnabled(item.Enabled());
        if (item.Guarded) {
            // Space or Return can then never press it by accident.
            button->setFocusPolicy(Qt::NoFocus);
        }
        connect(button, &QPushButton::clicked, this, [this, index] { CustomButtonClicked(index); });
        for (const QKeySequence& keys : item.Shortcuts) {
            auto* shortcut = new QShortcut(keys, this);
            connect(shortcut, &QShortcut::activated, this,
                    [this, index] { CustomShortcut(index); });
        }
        FCustomButtons.push_back(button);
        if (item.Default && defaultButton == nullptr) {
            defaultButton = button;
        }
        if (item.Cancel && FCancelButton == nullptr) {
            FCancelButton = button;
        }
    }
    for (int value = 0; value < CommonButtonCount; ++value) {
        const auto common = static_cast<TCommonButton>(value);
        if (!bar.Buttons.Contains(common)) {
            continue;
        }
        QPushButton* button = AddButton(QString::fromUtf8(CommonButtonCaption(common)));
        button->setObjectName(QStringLiteral("CommonButton%1").arg(value));
        connect(button, &QPushButton::clicked, this,
                [this, common] { CommonButtonClicked(common); });
        FCommonButtons[static_cast<std::size_t>(value)] = button;
    }
    if (defaultButton == nullptr && bar.UseDefault) {
        defaultButton = CommonButton(bar.Default);
    }
    if (FCancelButton == nullptr && bar.UseCancel) {
        FCancelButton = CommonButton(bar.Cancel);
    }
    if (defaultButton != nullptr) {
        defaultButton->setDefault(true);
        if (defaultButton->focusPolicy() != Qt::NoFocus) {
            defaultButton->setFocus();
        }
    }
}

void TJSTaskDialogForm::BuildFooter() {
    const TFooterOptions& footer = FDialog->Footer;
    if (!footer.Visible) {
        return;
    }
    FFooter = new TJSBand(this);
    FFooter->setObjectName(QStringLiteral("FooterBand"));
    const QColor face = OrRole(footer.Color, QPalette::Button);
    FFooter->SetColor(face);
    FFooter->SetDivider(face.darker(115));
    FFooterText = new TJSTextView(FFooter);
    FFooterText->setObjectName(QStringLiteral("FooterText"));
    FFooterText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const TJSFontSettings& footerFont =
        FDialog->UseDefaultFonts ? TJSDefaultFonts()[dfFooter] : footer.Font;
    FFooterText->setFont(ToQFont(footerFont));
    FFooterText->SetTextColor(ToQColor(footerFont.Color));
    FFooterText->setHtml(MarkupToHtml(footer.Text));
    connect(FFooterText, &QTextBrowser::anchorClicked, this, [this](const QUrl& target) {
        if (FDialog) {
            FDialog->LinkClicked(target.toString());
        }
    });
}

QPushButton* TJSTaskDialogForm::CommonButton(TCommonButton button) const {
    return FCommonButtons.at(static_cast<std::size_t>(button));
}

QPushButton* TJSTaskDialogForm::CustomButton(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= FCustomButtons.size()) {
        return nullptr;
    }
    return FCustomButtons[static_cast<std::size_t>(index)];
}

void TJSTaskDialogForm::UpdateTexts() {
    if (FDialog == nullptr) {
        return;
    }
    const QString& instruction = FDialog->Instruction().Text;
    FInstruction->setHtml(MarkupToHtml(instruction));
    FInstruction->setVisible(!instruction.isEmpty());
    ShowContent();
    LayoutForm();
}

void TJSTaskDialogForm::UpdateInstruction() {
    if (FDialog == nullptr) {
        return;
    }
    const QString& instruction = FDialog->Instruction().Text;
    const bool wasVisible = !FInstruction->isHidden();
    FInstruction->setHtml(MarkupToHtml(instruction));
    FInstruction->setVisible(!instruction.isEmpty());
    // Most changes (a position "(2/3)" becoming "(2/4)") keep the height: then nothing
    // else moves.
    if (wasVisible != !FInstruction->isHidden() ||
        FInstruction->HeightForWidth(FInstruction->width()) != FInstruction->height()) {
        LayoutForm();
    }
}

void TJSTaskDialogForm::UpdateContent() {
    if (FDialog == nullptr) {
        return;
    }
    ShowContent();
    LayoutForm();
}

void TJSTaskDialogForm::ShowContent() {
    const QStringList& lines = FDialog->Content();
    const QStringList& whole = FDialog->ContentWholeLines();
    FContent->setHtml(MarkupLinesToHtml(lines));
    FContent->setVisible(!lines.isEmpty());
    // A line with line breaks of its own spans several rows of the view.
    QStringList rowTips;
    for (qsizetype line = 0; line < lines.size(); ++line) {
        const auto rows = MarkupToPlainText(lines[line]).count(u'\n') + 1;
        for (qsizetype row = 0; row < rows; ++row) {
            rowTips << whole.value(line);
        }
    }
    FContent->SetRowToolTips(rowTips);
}

void TJSTaskDialogForm::UpdateCustomButton(int index) {
    QPushButton* button = CustomButton(index);
    if (FDialog != nullptr && button != nullptr) {
        const TJSCustomButton& item = FDialog->CustomButtons.Items(index);
        button->setEnabled(item.Enabled() && !(item.Guarded && FInputDelayed));
    }
}

void TJSTaskDialogForm::UpdateCustomButtons() {
    for (int index = 0; index < static_cast<int>(FCustomButtons.size()); ++index) {
        UpdateCustomButton(index);
    }
}

void TJSTaskDialogForm::RestartInputDelay() {
    if (FDialog == nullptr || FDialog->InputDelay <= 0) {
        return;
    }
    FInputDelayed = true;
    UpdateCustomButtons();
    FInputDelayTimer->start(FDialog->InputDelay);
}

void TJSTaskDialogForm::CustomShortcut(int index) {
    QPushButton* button = CustomButton(index);
    if (button != nullptr && button->isVisible() && button->isEnabled()) {
        button->click();
    }
}

void TJSTaskDialogForm::CommonButtonClicked(TCommonButton button) {
    if (FDialog == nullptr) {
        return;
    }
    if (button == cbHelp) {
        FDialog->HelpRequested(htContext);
        return;
    }
    ReportClick(ctCommonButton, CommonButton(button), button, CommonButtonResult(button));
}

void TJSTaskDialogForm::CustomButtonClicked(int index) {
    if (FDialog == nullptr) {
        return;
    }
    const TJSCustomButton& item = FDialog->CustomButtons.Items(index);
    ReportClick(ctCustomButton, CustomButton(index), item.Value(), item.ModalResult);
}

void TJSTaskDialogForm::ReportClick(TJSControlType controlType, QAbstractButton* control, int value,
                                    int result) {
    // The handler may run a nested event loop in which this window is replaced.
    const QPointer<TJSTaskDialogForm> self(this);
    const bool handled = FDialog->ButtonClicked(controlType, control, value, result);
    if (self && FDialog != nullptr && !handled) {
        CloseWith(result);
    }
}

void TJSTaskDialogForm::CloseWith(int result) {
    if (FDialog != nullptr) {
        FDialog->SetModalResult(result);
        FDialog->FormClosing(FVerification != nullptr && FVerification->isChecked());
    }
    done(result);
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

void TJSTaskDialogForm::closeEvent(QCloseEvent* event) {
    if (FDialog == nullptr) {
        QDialog::closeEvent(event);
        return;
    }
    if (!FDialog->AllowCancel) {
        event->ignore();
        return;
    }
    if (isVisible()) {
        CloseWith(mrCancel);
    }
    event->accept();
}

void TJSTaskDialogForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FPlacementRetries = 0;
    PlaceWindow(); // again: the frame's size may be known now
    RestartInputDelay();
}

void TJSTaskDialogForm::CheckPlacement() {
    // For a short while after a placement, a frame the window system has told since, or a
    // place or size it gave other than the one asked for, places the window again.
    if (!isVisible() || FPlacedClock.elapsed() > SettleMilliseconds) {
        FSettleTimer->stop();
        return;
    }
    const QRect outer = frameGeometry();
    if ((FrameMargins() != FPlacedFrame || outer != FPlacedRect) &&
        FPlacementRetries < MaxPlacementRetries) {
        ++FPlacementRetries;
        PlaceWindow();
    }
}

void TJSTaskDialogForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Coming to the front under the user's hand: what was clicked or typed to get here must
    // not press a guarded button.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        RestartInputDelay();
    }
}

void TJSTaskDialogForm::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CancelPressed();
        return;
    }
    if (event->key() == Qt::Key_F1 && FDialog != nullptr) {
        FDialog->HelpRequested(FDialog->HelpType);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TJSTaskDialogForm::CopyToClipboard() {
    QApplication::clipboard()->setText(ClipboardText());
    QApplication::beep();
}

QString TJSTaskDialogForm::ClipboardText() const {
    if (FDialog == nullptr) {
        return {};
    }
    QStringList sections;
    const auto addSection = [&sections](const char* heading, const QString& text) {
        sections << QLatin1String(heading) + u'\n' + text;
    };
    addSection(HeadingTitle, FDialog->Title);
    if (FDialog->Header.Visible && !FDialog->Header.Text.isEmpty()) {
        addSection(HeadingHeader, MarkupToPlainText(FDialog->Header.Text));
    }
    if (!FDialog->Instruction().Text.isEmpty()) {
        addSection(HeadingInstruction, MarkupToPlainText(FDialog->Instruction().Text));
    }
    if (!FDialog->Content().isEmpty()) {
        QStringList lines;
        const QStringList& whole = FDialog->ContentWholeLines();
        for (qsizetype line = 0; line < FDialog->Content().size(); ++line) {
            const QString& full = whole.value(line);
            lines << (full.isEmpty() ? MarkupToPlainText(FDialog->Content()[line]) : full);
        }
        addSection(HeadingContent, lines.join(u'\n'));
    }
    QStringList controls;
    if (FVerification != nullptr) {
        controls << QLatin1String(FVerification->isChecked() ? CheckedBox : UncheckedBox) +
                        FVerification->text();
    }
    const auto addButtonCaption = [&controls](const QPushButton* button) {
        if (button != nullptr && !button->isHidden()) {
            controls << u'[' + CaptionWithoutAccelerator(button->text()) + u']';
        }
    };
    for (const QPushButton* button : FCustomButtons) {
        addButtonCaption(button);
    }
    for (const QPushButton* button : FCommonButtons) {
        addButtonCaption(button);
    }
    if (!controls.isEmpty()) {
        sections << controls.join(u' ');
    }
    if (FDialog->Footer.Visible && !FDialog->Footer.Text.isEmpty()) {
        addSection(HeadingFooter, MarkupToPlainText(FDialog->Footer.Text));
    }
    return sections.join(QLatin1String("\n\n")) + u'\n';
}

} // namespace vx::taskdialog
