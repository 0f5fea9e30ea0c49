#include "app/TrayIconLook.h"

#include "health/ServiceTester.h"
#include "product/ProductIcon.h"

#include <algorithm>

#include <QPainter>
#include <QPainterPath>

namespace vx::app {
namespace {

constexpr std::array<int, 6> TraySizes{16, 22, 24, 32, 48, 64};
constexpr int MaxBadgeCount = 99;
const QColor BadgeColor(204, 32, 32);
const QColor WarningColor(245, 166, 35);
const QColor WarningMark(40, 30, 0);

// A warning triangle with an exclamation mark in the bottom left quarter and a bit more.
void PaintWarning(QPainter& painter, int size) {
    const qreal edge = size * 0.62;
    const QRectF box(0, size - edge, edge, edge);
    QPainterPath triangle;
    triangle.moveTo(box.center().x(), box.top());
    triangle.lineTo(box.right(), box.bottom());
    triangle.lineTo(box.left(), box.bottom());
    triangle.closeSubpath();
    painter.setPen(QPen(Qt::white, std::max(1.0, size / 24.0)));
    painter.setBrush(WarningColor);
    painter.drawPath(triangle);
    const qreal stroke = std::max(1.0, edge / 8);
    painter.setPen(QPen(WarningMark, stroke, Qt::SolidLine, Qt::RoundCap));
    const qreal x = box.center().x();
    painter.drawLine(QPointF(x, box.top() + edge * 0.38), QPointF(x, box.top() + edge * 0.68));
    painter.drawPoint(QPointF(x, box.top() + edge * 0.84));
}

// A round badge with the count in the top right corner.
void PaintBadge(QPainter& painter, int size, const QString& text) {
    const qreal height = size * (text.size() > 1 ? 0.56 : 0.5);
    const qreal width = std::min<qreal>(size, height * (text.size() > 2   ? 1.7
                                                        : text.size() > 1 ? 1.3
                                                                          : 1.0));
    const QRectF badge(size - width, 0, width, height);
    painter.setPen(QPen(Qt::white, std::max(1.0, size / 24.0)));
    painter.setBrush(BadgeColor);
    painter.drawRoundedRect(badge, height / 2, height / 2);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(6, static_cast<int>(height * 0.72)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(badge, Qt::AlignCenter, text);
}

// The shield, plain or in its warning form, at each tray size: drawn from the SVG once, as
// every new count of pending decisions needs a new icon. Images, not pixmaps: they need no
// window system, so they can outlive the application.
const QImage& BaseImage(bool warning, std::size_t sizeIndex) {
    static const auto bases = [] {
        std::array<std::array<QImage, TraySizes.size()>, 2> images;
        for (std::size_t index = 0; index < TraySizes.size(); ++index) {
            const int size = TraySizes[index];
            images[0][index] = product::ProductIconPixmap(size).toImage();
            images[1][index] = images[0][index];
            QPainter painter(&images[1][index]);
            painter.setRenderHint(QPainter::Antialiasing);
            PaintWarning(painter, size);
        }
        return images;
    }();
    return bases[warning ? 1 : 0][sizeIndex];
}

QPixmap TrayPixmap(const TTrayIconState& state, std::size_t sizeIndex) {
    const int size = TraySizes[sizeIndex];
    QImage image = BaseImage(state.Warning, sizeIndex);
    if (state.Pending > 0) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        PaintBadge(painter, size, BadgeText(state.Pending));
    }
    return QPixmap::fromImage(image);
}

} // namespace

TTrayIconState TrayIconStateFor(int pending, const TProtectionStatuses& protections) {
    const bool down = std::any_of(protections.begin(), protections.end(), [](std::uint8_t status) {
        return status == health::tsUnavailable || status == health::tsCorrupted;
    });
    return {std::max(0, pending), down};
}

QString BadgeText(int pending) {
    if (pending <= 0) {
        return {};
    }
    return pending > MaxBadgeCount ? QStringLiteral("%1+").arg(MaxBadgeCount)
                                   : QString::number(pending);
}

QIcon RenderTrayIcon(const TTrayIconState& state) {
    QIcon icon;
    for (std::size_t index = 0; index < TraySizes.size(); ++index) {
        icon.addPixmap(TrayPixmap(state, index));
    }
    return icon;
}

} // namespace vx::app
