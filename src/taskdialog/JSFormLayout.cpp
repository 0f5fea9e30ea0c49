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

QRect AvailableArea(const QWidget& Window) {
    const QScreen* Screen = Window.screen();
    return Screen != nullptr ? Screen->availableGeometry() : QRect(0, 0, 1280, 800);
}

// Where Frame's top left goes so that it lies inside Area (its top left when it is larger).
QPoint InsideArea(QRect Frame, const QRect& Area) {
    Frame.moveRight(std::min(Frame.right(), Area.right()));
    Frame.moveBottom(std::min(Frame.bottom(), Area.bottom()));
    Frame.moveLeft(std::max(Frame.left(), Area.left()));
    Frame.moveTop(std::max(Frame.top(), Area.top()));
    return Frame.topLeft();
}

} // namespace

int TJSTaskDialogForm::Scaled(int Pixels) const {
    return qRound(Pixels * logicalDpiY() / 96.0);
}

void TJSTaskDialogForm::SizeButtons() {
    if (FButtonBar == nullptr) {
        return;
    }
    const QFontMetrics Metrics(font());
    const int MinimumButtonWidth =
        Metrics.averageCharWidth() * ButtonMinimumDialogUnits / 4 - Scaled(ButtonWidthTrim);
    const int Height =
        std::max(Metrics.height() * ButtonHeightDialogUnits / 8 - Scaled(ButtonHeightTrim),
                 Metrics.height() + Scaled(CaptionPadding));
    const auto WidthOf = [&](const QPushButton* Button) {
        const int Caption = Metrics.horizontalAdvance(CaptionWithoutAccelerator(Button->text())) +
                            Scaled(CaptionPadding);
        // The style's own padding must never clip a caption.
        return std::max({Caption, Button->sizeHint().width(), MinimumButtonWidth});
    };
    int CommonWidth = 0;
    for (const QPushButton* Button : FCommonButtons) {
        if (Button != nullptr) {
            CommonWidth = std::max(CommonWidth, WidthOf(Button));
        }
    }
    for (QPushButton* Button : FCommonButtons) {
        if (Button != nullptr) {
            Button->resize(CommonWidth, Height);
        }
    }
    for (QPushButton* Button : FCustomButtons) {
        Button->resize(WidthOf(Button), Height);
    }
}

int TJSTaskDialogForm::ButtonRowWidth() const {
    if (FButtonBar == nullptr) {
        return 0;
    }
    int Width = Scaled(ButtonRight);
    int Buttons = 0;
    const auto Add = [&](const QPushButton* Button) {
        if (Button != nullptr && !Button->isHidden()) {
            Width += Button->width() + (Buttons > 0 ? Scaled(ButtonGap) : 0);
            ++Buttons;
        }
    };
    for (const QPushButton* Button : FCustomButtons) {
        Add(Button);
    }
    for (const QPushButton* Button : FCommonButtons) {
        Add(Button);
    }
    if (FVerification != nullptr) {
        Width +=
            Scaled(VerificationLeft) + FVerification->sizeHint().width() + Scaled(VerificationGap);
    } else {
        Width += Scaled(Margin);
    }
    return Width;
}

int TJSTaskDialogForm::HeaderHeight(int Width) const {
    if (FHeader == nullptr) {
        return 0;
    }
    const QRect Glyph = FHeader->GlyphRect();
    const int TextLeft = Glyph.isNull()
                             ? Scaled(Margin)
                             : Glyph.width() + Scaled(HeaderGlyphPadding / 2 + HeaderTextGap);
    const int TextWidth = std::max(1, Width - TextLeft - Scaled(Margin));
    const int TextHeight = FHeaderText->HeightForWidth(TextWidth);
    const int Height = std::max(Glyph.height() + Scaled(HeaderGlyphPadding),
                                TextHeight + Scaled(HeaderTextPadding));
    FHeader->SetGlyph(FHeader->Glyph(),
                      QPoint(Scaled(HeaderGlyphPadding / 2), (Height - Glyph.height()) / 2));
    FHeaderText->setGeometry(TextLeft, (Height - TextHeight) / 2, TextWidth, TextHeight);
    return Height;
}

void TJSTaskDialogForm::PlaceButtonBar(int Width) {
    if (FButtonBar == nullptr) {
        return;
    }
    const int Height = Scaled(ButtonBarHeight);
    FButtonBar->resize(Width, Height);
    int Right = Width - Scaled(ButtonRight);
    const auto Place = [&](QPushButton* Button) {
        if (Button != nullptr && !Button->isHidden()) {
            Button->move(Right - Button->width(), (Height - Button->height()) / 2);
            Right -= Button->width() + Scaled(ButtonGap);
        }
    };
    std::for_each(FCommonButtons.rbegin(), FCommonButtons.rend(), Place);
    std::for_each(FCustomButtons.rbegin(), FCustomButtons.rend(), Place);
    if (FVerification != nullptr) {
        const QSize Hint = FVerification->sizeHint();
        FVerification->setGeometry(
            Scaled(VerificationLeft),
            std::min(Scaled(VerificationTop), std::max(0, Height - Hint.height())), Hint.width(),
            Hint.height());
    }
}

void TJSTaskDialogForm::LayoutForm() {
    if (FDialog == nullptr) {
        return;
    }
    const QRect Screen = AvailableArea(*this);
    const int MaxWidth = Screen.width() - Scaled(ScreenFrameWidth);
    const int MaxHeight = Screen.height() - Scaled(ScreenFrameHeight);
    SizeButtons();

    const int IconWidth =
        FMainIcon != nullptr ? FMainIcon->pixmap().deviceIndependentSize().toSize().width() : 0;
    const int IconHeight =
        FMainIcon != nullptr ? FMainIcon->pixmap().deviceIndependentSize().toSize().height() : 0;
    const int IconSpace = IconWidth > 0 ? IconWidth + Scaled(IconGap) : 0;
    const bool HasInstruction = !FInstruction->isHidden();
    const bool HasContent = !FContent->isHidden();

    int Width = FDialog->Width;
    if (Width <= 0) {
        const int TextWidth = HasInstruction
                                  ? FInstruction->NaturalWidth() + Scaled(InstructionSlack)
                                  : std::min(FContent->NaturalWidth(), Scaled(ContentMeasureBox)) +
                                        Scaled(ContentSlack);
        Width = std::max(TextWidth + Scaled(SideMargins) + IconSpace, Scaled(MinimumWidth));
    }
    // The screen bounds the texts' width; the button row always fits.
    Width = std::max(std::min(Width, MaxWidth), ButtonRowWidth());

    const int HeaderBottom = HeaderHeight(Width);
    if (FHeader != nullptr) {
        FHeader->setGeometry(0, 0, Width, HeaderBottom);
    }
    const int TextLeft = Scaled(Margin) + IconSpace;
    const int TextWidth = std::max(1, Width - TextLeft - Scaled(Margin));
    const int InstructionTop = HeaderBottom + Scaled(Margin);
    const int InstructionHeight = HasInstruction ? FInstruction->HeightForWidth(TextWidth) : 0;
    const int ContentTop =
        HasInstruction ? InstructionTop + InstructionHeight + Scaled(ContentGap) : InstructionTop;
    int ContentHeight = HasContent ? FContent->HeightForWidth(TextWidth) : 0;

    const int BarHeight = FButtonBar != nullptr ? Scaled(ButtonBarHeight) : 0;
    const int FooterTextWidth = std::max(1, Width - 2 * Scaled(Margin));
    const int FooterTextHeight =
        FFooter != nullptr ? FFooterText->HeightForWidth(FooterTextWidth) : 0;
    const int FooterHeight = FFooter != nullptr ? FooterTextHeight + 2 * Scaled(FooterPadding) : 0;
    const auto BodyBottom = [&] {
        const int TextBottom =
            HasContent ? ContentTop + ContentHeight : InstructionTop + InstructionHeight;
        return std::max(TextBottom, InstructionTop + IconHeight) + Scaled(BodyBottomGap);
    };
    // A content too long for the screen scrolls inside its view.
    const int Excess = BodyBottom() + BarHeight + FooterHeight - MaxHeight;
    if (Excess > 0 && HasContent) {
        ContentHeight -=
            std::min(Excess, std::max(0, ContentHeight - Scaled(MinimumContentHeight)));
    }

    if (FMainIcon != nullptr) {
        FMainIcon->setGeometry(Scaled(Margin), InstructionTop, IconWidth, IconHeight);
    }
    FInstruction->setGeometry(TextLeft, InstructionTop, TextWidth, InstructionHeight);
    FContent->setGeometry(TextLeft, ContentTop, TextWidth, ContentHeight);
    const int BarTop = BodyBottom();
    if (FButtonBar != nullptr) {
        FButtonBar->move(0, BarTop);
        PlaceButtonBar(Width);
    }
    if (FFooter != nullptr) {
        FFooter->setGeometry(0, BarTop + BarHeight, Width, FooterHeight);
        FFooterText->setGeometry(Scaled(Margin), Scaled(FooterPadding), FooterTextWidth,
                                 FooterTextHeight);
    }
    setFixedSize(Width, BarTop + BarHeight + FooterHeight);
    if (isVisible()) {
        KeepOnScreen(); // a window that grew stays on the screen
    }
}

void TJSTaskDialogForm::KeepOnScreen() {
    move(InsideArea(frameGeometry(), AvailableArea(*this)));
}

void TJSTaskDialogForm::PlaceWindow() {
    if (FDialog == nullptr) {
        return;
    }
    const QRect Screen = AvailableArea(*this);
    QPoint Center = Screen.center();
    switch (FDialog->Position) {
    case dpScreenCenter:
        break;
    case dpDesktopCenter:
        if (screen() != nullptr) {
            Center = screen()->availableVirtualGeometry().center();
        }
        break;
    case dpMainFormCenter:
    case dpOwnerFormCenter:
        if (parentWidget() != nullptr) {
            Center = parentWidget()->window()->frameGeometry().center();
        }
        break;
    case dpDesigned:
        return;
    }
    QRect Frame(QPoint(0, 0), size());
    Frame.moveCenter(Center);
    move(InsideArea(Frame, Screen));
}

} // namespace vx::taskdialog
