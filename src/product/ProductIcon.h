#pragma once

#include <QIcon>
#include <QPixmap>

namespace vx::product {

// The product icon "MAINICON" (a shield), drawn from its SVG resource: at the usual icon
// sizes, and as one pixmap of `size` x `size` logical pixels for the given device pixel ratio.
QIcon ProductIcon();
QPixmap ProductIconPixmap(int size, qreal devicePixelRatio = 1.0);

// Gives the running QApplication the product's title, desktop file and icon, as start-up does
// before any window exists.
void ApplyProductIdentity();

} // namespace vx::product
