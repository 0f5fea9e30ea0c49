#include "decisions/dialogs/ElidedText.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QTextLayout>
#include <QTextOption>

namespace vx::dialogs {
namespace {

// Whether `text` wraps to at most `maxRows` rows of `width`, the first shortened by `indent`.
bool Fits(const QString& text, const QFont& font, qreal indent, qreal width, int maxRows) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int rows = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        if (++rows > maxRows) {
            break;
        }
        line.setLineWidth(rows == 1 ? std::max<qreal>(1, width - indent) : width);
    }
    layout.endLayout();
    return rows <= maxRows;
}

QString Shortened(const QString& value, qsizetype kept) {
    const qsizetype head = (kept + 1) / 2;
    return value.left(head) + QChar(Ellipsis) + value.right(kept - head);
}

} // namespace

QString ElideToRows(const QString& label, const QFont& labelFont, const QString& value,
                    const QFont& font, int width, int maxRows) {
    const qreal indent = QFontMetricsF(labelFont).horizontalAdvance(label);
    if (Fits(value, font, indent, width, maxRows)) {
        return value;
    }
    // The most characters that fit, found by halving: the rows grow with what is kept.
    qsizetype low = 0;
    qsizetype high = value.size() - 1;
    while (low < high) {
        const qsizetype middle = (low + high + 1) / 2;
        if (Fits(Shortened(value, middle), font, indent, width, maxRows)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return Shortened(value, low);
}

} // namespace vx::dialogs
