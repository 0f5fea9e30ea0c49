#include "taskdialog/JSWidgets.h"

#include "taskdialog/JSMarkup.h"

#include <cmath>
#include <memory>

#include <QMimeData>
#include <QPainter>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace vx::taskdialog {
namespace {

// Wide enough that no line of a dialog text wraps while measuring its natural width.
constexpr qreal UnwrappedWidth = 1.0e7;

} // namespace

TJSTextView::TJSTextView(QWidget* Parent) : QTextBrowser(Parent) {
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDocumentMargin(0);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    QPalette Colors = palette();
    Colors.setColor(QPalette::Base, Qt::transparent);
    setPalette(Colors);
}

void TJSTextView::SetTextColor(const QColor& Color) {
    QPalette Colors = palette();
    Colors.setColor(QPalette::Text, Color);
    setPalette(Colors);
}

int TJSTextView::HeightForWidth(int Width) const {
    const std::unique_ptr<QTextDocument> Measure(document()->clone());
    Measure->setDefaultFont(font());
    Measure->setDefaultTextOption(document()->defaultTextOption());
    Measure->setDocumentMargin(0);
    Measure->setTextWidth(Width);
    return static_cast<int>(std::ceil(Measure->size().height()));
}

int TJSTextView::NaturalWidth() const {
    const std::unique_ptr<QTextDocument> Measure(document()->clone());
    Measure->setDefaultFont(font());
    Measure->setDocumentMargin(0);
    Measure->setTextWidth(UnwrappedWidth);
    return static_cast<int>(std::ceil(Measure->idealWidth()));
}

QMimeData* TJSTextView::createMimeDataFromSelection() const {
    auto* Data = new QMimeData;
    Data->setText(textCursor().selection().toPlainText().remove(QChar(MarkupWrapPoint)));
    return Data;
}

TJSBand::TJSBand(QWidget* Parent) : QWidget(Parent) {}

void TJSBand::SetGradient(const QColor& Start, const QColor& End, TGradientDirection Direction) {
    FGradient = true;
    FStart = Start;
    FEnd = End;
    FDirection = Direction;
}

void TJSBand::SetGlyph(const QPixmap& Glyph, const QPoint& At) {
    FGlyph = Glyph;
    FGlyphAt = At;
}

QRect TJSBand::GlyphRect() const {
    return FGlyph.isNull() ? QRect() : QRect(FGlyphAt, FGlyph.deviceIndependentSize().toSize());
}

void TJSBand::paintEvent(QPaintEvent*) {
    QPainter Painter(this);
    if (FGradient) {
        const QPointF End = FDirection == gdHorizontal ? QPointF(width(), 0) : QPointF(0, height());
        QLinearGradient Fill(QPointF(0, 0), End);
        Fill.setColorAt(0, FStart);
        Fill.setColorAt(1, FEnd);
        Painter.fillRect(rect(), Fill);
    } else if (FColor.isValid()) {
        Painter.fillRect(rect(), FColor);
    }
    if (FDivider.isValid()) {
        Painter.setPen(FDivider);
        Painter.drawLine(0, 0, width(), 0);
    }
    if (!FGlyph.isNull()) {
        Painter.drawPixmap(FGlyphAt, FGlyph);
    }
}

} // namespace vx::taskdialog
