#pragma once

#include "taskdialog/JSTypes.h"

#include <QColor>
#include <QPixmap>
#include <QTextBrowser>
#include <QWidget>

// The pieces of the task-dialog window: text views for the marked-up texts and the bands
// (header, button bar, footer) that paint their own background.
namespace vx::taskdialog {

// Read-only rich text on the parent's background, wrapped at word boundaries or, for a word
// wider than the view, anywhere. Links report through anchorClicked and open nothing.
class TJSTextView : public QTextBrowser {
    Q_OBJECT
public:
    explicit TJSTextView(QWidget* parent);

    void SetTextColor(const QColor& color);
    // The height the text needs when wrapped to `width`.
    int HeightForWidth(int width) const;
    // The width of the longest line, unwrapped.
    int NaturalWidth() const;
    // Tooltips by text row (rows are separated by line breaks, not by wrapping); an empty one
    // shows none.
    void SetRowToolTips(const QStringList& tips) { FRowToolTips = tips; }

protected:
    bool viewportEvent(QEvent* event) override;
    // A copied selection leaves out the break opportunities that MarkupToHtml added.
    QMimeData* createMimeDataFromSelection() const override;

private:
    // The text row under a point of the viewport.
    int RowAt(const QPoint& point) const;

    QStringList FRowToolTips;
};

// A band with a plain or gradient background, an optional divider line along its top and an
// optional glyph.
class TJSBand : public QWidget {
    Q_OBJECT
public:
    explicit TJSBand(QWidget* parent);

    void SetColor(const QColor& color) { FColor = color; }
    void SetGradient(const QColor& start, const QColor& end, TGradientDirection direction);
    void SetDivider(const QColor& color) { FDivider = color; }
    void SetGlyph(const QPixmap& glyph, const QPoint& at);

    const QPixmap& Glyph() const { return FGlyph; }
    QRect GlyphRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor FColor;
    bool FGradient = false;
    QColor FStart;
    QColor FEnd;
    TGradientDirection FDirection = gdHorizontal;
    QColor FDivider; // invalid: no divider
    QPixmap FGlyph;
    QPoint FGlyphAt;
};

} // namespace vx::taskdialog
