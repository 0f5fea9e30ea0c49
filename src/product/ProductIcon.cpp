#include "product/ProductIcon.h"

#include "product/ProductIdentity.h"

#include <array>

#include <QApplication>
#include <QPainter>
#include <QSvgRenderer>

// The resources of a static library register only when asked to, from the global namespace.
static void InitProductResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(product);
        return true;
    }();
    (void)registered;
}

namespace vx::product {
namespace {

constexpr const char* MainIconResource = ":/korvex/MAINICON.svg";
constexpr std::array<int, 7> IconSizes{16, 24, 32, 48, 64, 128, 256};

} // namespace

QPixmap ProductIconPixmap(int size, qreal devicePixelRatio) {
    InitProductResources();
    const int pixels = qRound(size * devicePixelRatio);
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer{QString::fromLatin1(MainIconResource)};
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon ProductIcon() {
    QIcon icon;
    for (const int size : IconSizes) {
        icon.addPixmap(ProductIconPixmap(size));
    }
    return icon;
}

void ApplyProductIdentity() {
    // The title is the application's name, not its display name: Qt appends a display name to
    // every window title, and the windows are titled with the suite's name alone. A tray item
    // on D-Bus takes its title from the name.
    QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));
    QApplication::setDesktopFileName(QString::fromUtf8(DesktopFileName));
    QApplication::setWindowIcon(ProductIcon());
}

} // namespace vx::product
