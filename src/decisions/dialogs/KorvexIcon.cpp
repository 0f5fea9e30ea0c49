#include "decisions/dialogs/KorvexIcon.h"

#include <array>

#include <QPainter>
#include <QSvgRenderer>

// The resources of a static library register only when asked to, from the global namespace.
static void InitDialogResources() {
    static const bool Registered = [] {
        Q_INIT_RESOURCE(dialogs);
        return true;
    }();
    (void)Registered;
}

namespace vx::dialogs {
namespace {

constexpr const char* MainIconResource = ":/korvex/MAINICON.svg";
constexpr std::array<int, 7> IconSizes{16, 24, 32, 48, 64, 128, 256};

} // namespace

QPixmap KorvexMainIconPixmap(int Size, qreal DevicePixelRatio) {
    InitDialogResources();
    const int Pixels = qRound(Size * DevicePixelRatio);
    QPixmap Pixmap(Pixels, Pixels);
    Pixmap.fill(Qt::transparent);
    QSvgRenderer Renderer{QString::fromLatin1(MainIconResource)};
    QPainter Painter(&Pixmap);
    Painter.setRenderHint(QPainter::Antialiasing);
    Renderer.render(&Painter);
    Painter.end();
    Pixmap.setDevicePixelRatio(DevicePixelRatio);
    return Pixmap;
}

QIcon KorvexMainIcon() {
    QIcon Icon;
    for (const int Size : IconSizes) {
        Icon.addPixmap(KorvexMainIconPixmap(Size));
    }
    return Icon;
}

} // namespace vx::dialogs
