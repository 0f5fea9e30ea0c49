// The geometry of the task-dialog window: pixel rules at 96 dots per inch, scaled to the
// screen, and kept inside the screen's available area.
#include "taskdialog/JSDialog.h"
#include "taskdialog/JSLook.h"
#include "taskdialog/JSTaskDialogForm.h"
#include "taskdialog/JSWidgets.h"

#include <algorithm>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace vx::taskdialog {
namespace {

constexpr int Margin = 10;        // left and right edges; main icon and instruction top
constexpr int IconGap = 8;        // main icon to the text
constexpr int ContentGap = 15;    // instruction to content
constexpr int BodyBottomGap = 15; // last text or icon to the button bar
constexpr int MinimumWidth = 360;
constexpr int ContentMeasureBox = 360;
constexpr int InstructionSlack = 8;
constexpr int ContentSlack = 7;
constexpr int SideMargins = 16;
constexpr int ButtonBarHeight = 41;
constexpr int ButtonRight = 10;
constexpr int ButtonGap = 6;
constexpr int CaptionPadding = 8;
constexpr int ButtonMinimumDialogUnits = 50;
constexpr int ButtonHeightDialogUnits = 14;
constexpr int ButtonWidthTrim = 7;
constexpr int ButtonHeightTrim = 3;
constexpr int VerificationLeft = 12;
constexpr int VerificationTop = 15;
constexpr int VerificationGap = 12;
constexpr int HeaderGlyphPadding = 12;
constexpr int HeaderTextPadding = 8;
constexpr int HeaderTextGap = 16;
constexpr int FooterPadding = 8;
// Room the window system needs around a window (frame, title bar), and the least content
// height left when a long content is cut to fit the screen.
constexpr int ScreenFrameWidth = 16;
constexpr int ScreenFrameHeight = 48;
constexpr int MinimumContentHeight = 48;

QRect AvailableArea(const QWidget& window) {
    const QScreen* screen = window.screen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
}

// Where `frame`'s top left goes so that it lies inside `area` (its top left when it is larger).
QPoint InsideArea(QRect frame, const QRect& area) {
    frame.moveRight(std::min(frame.right(), area.right()));
    frame.moveBottom(std::min(frame.bottom(), area.bottom()));
    frame.moveLeft(std::max(frame.left(), area.left()));
    frame.moveTop(std::max(frame.top(), area.top()));
    return frame.topLeft();
}

} // namespace

int TJSTaskDialogForm::Scaled(int pixels) const {
    return qRound(pixels * logicalDpiY() / 96.0);
}

void TJSTaskDialogForm::SizeButtons() {
    if (FButtonBar == nullptr) {
        return;
    }
    const QFontMetrics metrics(font());
    const int minimumButtonWidth =
        metrics.averageCharWidth() * ButtonMinimumDialogUnits / 4 - Scaled(ButtonWidthTrim);
    const int height =
        std::max(metrics.height() * ButtonHeightDialogUnits / 8 - Scaled(ButtonHeightTrim),
                 metrics.height() + Scaled(CaptionPadding));
    const auto widthOf = [&](const QPushButton* button) {
        const int caption = metrics.horizontalAdvance(CaptionWithoutAccelerator(button->text())) +
                            Scaled(CaptionPadding);
        // The style's own padding must never clip a caption.
        return std::max({caption, button->sizeHint().width(), minimumButtonWidth});
    };
    int commonWidth = 0;
    for (const QPushButton* button : FCommonButtons) {
        if (button != nullptr) {
            commonWidth = std::max(commonWidth, widthOf(button));
        }
    }
    for (QPushButton* button : FCommonButtons) {
        if (button != nullptr) {
            button->resize(commonWidth, height);
        }
    }
    for (QPushButton* button : FCustomButtons) {
        button->resize(widthOf(button), height);
    }
}

int TJSTaskDialogForm::ButtonRowWidth() const {
    if (FButtonBar == nullptr) {
        return 0;
    }
    int width = Scaled(ButtonRight);
    int buttons = 0;
    const auto add = [&](const QPushButton* button) {
        if (button != nullptr && !button->isHidden()) {
            width += button->width() + (buttons > 0 ? Scaled(ButtonGap) : 0);
            ++buttons;
        }
    };
    for (const QPushButton* button : FCustomButtons) {
        add(button);
    }
    for (const QPushButton* button : FCommonButtons) {
        add(button);
    }
    if (FVerification != nullptr) {
        width +=
            Scaled(VerificationLeft) + FVerification->sizeHint().width() + Scaled(VerificationGap);
    } else {
        width += Scaled(Margin);
    }
    return width;
}

int TJSTaskDialogForm::HeaderHeight(int width) const {
    if (FHeader == nullptr) {
        return 0;
    }
    const QRect glyph = FHeader->GlyphRect();
    const int textLeft = glyph.isNull()
                             ? Scaled(Margin)
                             : glyph.width() + Scaled(HeaderGlyphPadding / 2 + HeaderTextGap);
    const int textWidth = std::max(1, width - textLeft - Scaled(Margin));
    const int textHeight = FHeaderText->HeightForWidth(textWidth);
    const int height = std::max(glyph.height() + Scaled(HeaderGlyphPadding),
                                textHeight + Scaled(HeaderTextPadding));
    FHeader->SetGlyph(FHeader->Glyph(),
                      QPoint(Scaled(HeaderGlyphPadding / 2), (height - glyph.height()) / 2));
    FHeaderText->setGeometry(textLeft, (height - textHeight) / 2, textWidth, textHeight);
    return height;
}

void TJSTaskDialogForm::PlaceButtonBar(int width) {
    if (FButtonBar == nullptr) {
        return;
    }
    const int height = Scaled(ButtonBarHeight);
    FButtonBar->resize(width, height);
    int right = width - Scaled(ButtonRight);
    const auto place = [&](QPushButton* button) {
        if (button != nullptr && !button->isHidden()) {
            button->move(right - button->width(), (height - button->height()) / 2);
            right -= button->width() + Scaled(ButtonGap);
        }
    };
    std::for_each(FCommonButtons.rbegin(), FCommonButtons.rend(), place);
    std::for_each(FCustomButtons.rbegin(), FCustomButtons.rend(), place);
    if (FVerification != nullptr) {
        const QSize hint = FVerification->sizeHint();
        FVerification->setGeometry(
            Scaled(VerificationLeft),
            std::min(Scaled(VerificationTop), std::max(0, height - hint.height())), hint.width(),
            hint.height());
    }
}

void TJSTaskDialogForm::LayoutForm() {
    if (FDialog == nullptr) {
        return;
    }
    const QRect screen = AvailableArea(*this);
    const int maxWidth = screen.width() - Scaled(ScreenFrameWidth);
    const int maxHeight = screen.height() - Scaled(ScreenFrameHeight);
    SizeButtons();

    const int iconWidth =
        FMainIcon != nullptr ? FMainIcon->pixmap().deviceIndependentSize().toSize().width() : 0;
    const int iconHeight =
        FMainIcon != nullptr ? FMainIcon->pixmap().deviceIndependentSize().toSize().height() : 0;
    const int iconSpace = iconWidth > 0 ? iconWidth + Scaled(IconGap) : 0;
    const bool hasInstruction = !FInstruction->isHidden();
    const bool hasContent = !FContent->isHidden();

    int width = FDialog->Width;
    if (width <= 0) {
        const int textWidth = hasInstruction
                                  ? FInstruction->NaturalWidth() + Scaled(InstructionSlack)
                                  : std::min(FContent->NaturalWidth(), Scaled(ContentMeasureBox)) +
                                        Scaled(ContentSlack);
        width = std::max(textWidth + Scaled(SideMargins) + iconSpace, Scaled(MinimumWidth));
    }
    // The screen bounds the texts' width; the button row always fits.
    width = std::max(std::min(width, maxWidth), ButtonRowWidth());

    const int headerBottom = HeaderHeight(width);
    if (FHeader != nullptr) {
        FHeader->setGeometry(0, 0, width, headerBottom);
    }
    const int textLeft = Scaled(Margin) + iconSpace;
    const int textWidth = std::max(1, width - textLeft - Scaled(Margin));
    const int instructionTop = headerBottom + Scaled(Margin);
    const int instructionHeight = hasInstruction ? FInstruction->HeightForWidth(textWidth) : 0;
    const int contentTop =
        hasInstruction ? instructionTop + instructionHeight + Scaled(ContentGap) : instructionTop;
    int contentHeight = hasContent ? FContent->HeightForWidth(textWidth) : 0;

    const int barHeight = FButtonBar != nullptr ? Scaled(ButtonBarHeight) : 0;
    const int footerTextWidth = std::max(1, width - 2 * Scaled(Margin));
    const int footerTextHeight =
        FFooter != nullptr ? FFooterText->HeightForWidth(footerTextWidth) : 0;
    const int footerHeight = FFooter != nullptr ? footerTextHeight + 2 * Scaled(FooterPadding) : 0;
    const auto bodyBottom = [&] {
        const int textBottom =
            hasContent ? contentTop + contentHeight : instructionTop + instructionHeight;
        return std::max(textBottom, instructionTop + iconHeight) + Scaled(BodyBottomGap);
    };
    // A content too long for the screen scrolls inside its view; one that fits never shows
    // a scroll bar (which, once shown, would narrow the text and keep itself needed).
    const int excess = bodyBottom() + barHeight + footerHeight - maxHeight;
    const bool cut = excess > 0 && hasContent;
    if (cut) {
        contentHeight -=
            std::min(excess, std::max(0, contentHeight - Scaled(MinimumContentHeight)));
    }
    FContent->setVerticalScrollBarPolicy(cut ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);

    if (FMainIcon != nullptr) {
        FMainIcon->setGeometry(Scaled(Margin), instructionTop, iconWidth, iconHeight);
    }
    FInstruction->setGeometry(textLeft, instructionTop, textWidth, instructionHeight);
    FContent->setGeometry(textLeft, contentTop, textWidth, contentHeight);
    const int barTop = bodyBottom();
    if (FButtonBar != nullptr) {
        FButtonBar->move(0, barTop);
        PlaceButtonBar(width);
    }
    if (FFooter != nullptr) {
        FFooter->setGeometry(0, barTop + barHeight, width, footerHeight);
        FFooterText->setGeometry(Scaled(Margin), Scaled(FooterPadding), footerTextWidth,
                                 footerTextHeight);
    }
    const QSize before = size();
    setFixedSize(width, barTop + barHeight + footerHeight);
    if (isVisible()) {
        // A window that changed its size is placed again (centred, as it was); one that did
        // not still stays on the screen.
        if (size() != before) {
            FPlacementRetries = 0;
            PlaceWindow();
        } else {
            KeepOnScreen();
        }
    }
}

QMargins TJSTaskDialogForm::FrameMargins() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void TJSTaskDialogForm::KeepOnScreen() {
    move(InsideArea(frameGeometry(), AvailableArea(*this)));
}

void TJSTaskDialogForm::PlaceWindow() {
    if (FDialog == nullptr) {
        return;
    }
    const QRect area = AvailableArea(*this);
    QPoint center = area.center();
    switch (FDialog->Position) {
    case dpScreenCenter:
        break;
    case dpDesktopCenter:
        if (screen() != nullptr) {
            center = screen()->availableVirtualGeometry().center();
        }
        break;
    case dpMainFormCenter:
    case dpOwnerFormCenter:
        if (parentWidget() != nullptr) {
            center = parentWidget()->window()->frameGeometry().center();
        }
        break;
    case dpDesigned:
        return;
    }
    // The whole window is placed, frame included, at the size last set: the window system
    // tells the frame some time after the window is shown and may take a size late, so a
    // shown window is looked at for a while and placed again (CheckPlacement).
    FPlacedFrame = FrameMargins();
    FPlacedRect = QRect(QPoint(0, 0), size().grownBy(FPlacedFrame));
    FPlacedRect.moveCenter(center);
    FPlacedRect.moveTopLeft(InsideArea(FPlacedRect, area));
    move(FPlacedRect.topLeft());
    FPlacedClock.start();
    if (isVisible()) {
        FSettleTimer->start();
    }
}

} // namespace vx::taskdialog
