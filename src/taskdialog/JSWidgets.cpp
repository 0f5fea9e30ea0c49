#include "taskdialog/JSWidgets.h"

#include "taskdialog/JSMarkup.h"

#include <cmath>
#include <memory>

#include <QHelpEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QToolTip>

namespace vx::taskdialog {
namespace {

// Wide enough that no line of a dialog text wraps while measuring its natural width.
constexpr qreal UnwrappedWidth = 1.0e7;
// What a line break of the markup becomes inside a block of the document.
constexpr char16_t LineSeparator = 0x2028;

} // namespace

TJSTextView::TJSTextView(QWidget* parent) : QTextBrowser(parent) {
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
    QPalette colors = palette();
    colors.setColor(QPalette::Base, Qt::transparent);
    setPalette(colors);
}

void TJSTextView::SetTextColor(const QColor& color) {
    QPalette colors = palette();
    colors.setColor(QPalette::Text, color);
    setPalette(colors);
}

int TJSTextView::HeightForWidth(int width) const {
    const std::unique_ptr<QTextDocument> measure(document()->clone());
    measure->setDefaultFont(font());
    measure->setDefaultTextOption(document()->defaultTextOption());
    measure->setDocumentMargin(0);
    measure->setTextWidth(width);
    return static_cast<int>(std::ceil(measure->size().height()));
}

int TJSTextView::NaturalWidth() const {
    const std::unique_ptr<QTextDocument> measure(document()->clone());
    measure->setDefaultFont(font());
    measure->setDocumentMargin(0);
    measure->setTextWidth(UnwrappedWidth);
    return static_cast<int>(std::ceil(measure->idealWidth()));
}

int TJSTextView::RowAt(const QPoint& point) const {
    const QTextCursor cursor = cursorForPosition(point);
    int row = 0;
    for (QTextBlock block = document()->begin(); block.isValid() && block != cursor.block();
         block = block.next()) {
        row += 1 + static_cast<int>(block.text().count(QChar(LineSeparator)));
    }
    return row +
           static_cast<int>(
               cursor.block().text().left(cursor.positionInBlock()).count(QChar(LineSeparator)));
}

bool TJSTextView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = FRowToolTips.value(RowAt(help->pos()));
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            // Data shown as it is, with places where a long word may wrap.
            QToolTip::showText(help->globalPos(), MarkupToHtml(EscapeMarkup(tip)), viewport());
        }
        return true;
    }
    return QTextBrowser::viewportEvent(event);
}

QMimeData* TJSTextView::createMimeDataFromSelection() const {
    auto* data = new QMimeData;
    data->setText(textCursor().selection().toPlainText().remove(QChar(MarkupWrapPoint)));
    return data;
}

TJSBand::TJSBand(QWidget* parent) : QWidget(parent) {}

void TJSBand::SetGradient(const QColor& start, const QColor& end, TGradientDirection direction) {
    FGradient = true;
    FStart = start;
    FEnd = end;
    FDirection = direction;
}

void TJSBand::SetGlyph(const QPixmap& glyph, const QPoint& at) {
    FGlyph = glyph;
    FGlyphAt = at;
}

QRect TJSBand::GlyphRect() const {
    return FGlyph.isNull() ? QRect() : QRect(FGlyphAt, FGlyph.deviceIndependentSize().toSize());
}

void TJSBand::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (FGradient) {
        const QPointF end = FDirection == gdHorizontal ? QPointF(width(), 0) : QPointF(0, height());
        QLinearGradient fill(QPointF(0, 0), end);
        fill.setColorAt(0, FStart);
        fill.setColorAt(1, FEnd);
        painter.fillRect(rect(), fill);
    } else if (FColor.isValid()) {
        painter.fillRect(rect(), FColor);
    }
    if (FDivider.isValid()) {
        painter.setPen(FDivider);
        painter.drawLine(0, 0, width(), 0);
    }
    if (!FGlyph.isNull()) {
        painter.drawPixmap(FGlyphAt, FGlyph);
    }
}

} // namespace vx::taskdialog
