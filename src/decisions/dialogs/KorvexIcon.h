#pragma once

#include <QIcon>
#include <QPixmap>

namespace vx::dialogs {

// The product icon "MAINICON" (a shield), drawn from its SVG resource: at the usual icon
// sizes, and as one pixmap of Size x Size logical pixels for the given device pixel ratio.
QIcon KorvexMainIcon();
QPixmap KorvexMainIconPixmap(int Size, qreal DevicePixelRatio = 1.0);

} // namespace vx::dialogs
