#pragma once

#include "taskdialog/JSTypes.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>

// Fonts, colours and icons of the widget as Qt sees them.
namespace vx::taskdialog {

// The font of the settings: an empty name takes the system's message font ("Segoe UI" when
// it cannot be read), a size of 0 or less its size (9 points when it cannot be read).
QFont ToQFont(const TJSFontSettings& settings);
QColor ToQColor(std::uint32_t rgb);

// The standard icon of a task-dialog icon value: Qt's message-box icons, the style's shield,
// the application's window icon for tdiCustom; null for tdiNone and when the style has none.
QIcon StandardIcon(TTaskDialogIcon icon);

// A button caption as shown: "&" marks the accelerator letter, "&&" stands for "&".
QString CaptionWithoutAccelerator(const QString& caption);

// Edge length of an icon size in pixels at 96 dots per inch.
int IconPixels(TJSIconSize size);

} // namespace vx::taskdialog
