#pragma once

#include "i18n/LanguageText.h"

#include <Qt>

class QWidget;

namespace vx::i18n::ui {

// The property of a window that holds its extended style bits; only the two right-to-left
// bits below are ever set on our windows.
inline constexpr const char* ExStyleProperty = "exStyle";
inline constexpr int WS_EX_RIGHT = 0x1000;
inline constexpr int WS_EX_RTLREADING = 0x2000;

// Qt has one switch for the direction of a widget, its layout direction: every right-to-left
// mode mirrors the widget and reads its texts from the right.
Qt::LayoutDirection LayoutDirectionOf(TBiDiMode mode);

// Sets the window's right-to-left styles for any mode but left to right, and clears them for
// left to right; no other bit of ExStyleProperty changes. On Qt the two styles act through the
// window's layout direction, which aligns its contents to the right (WS_EX_RIGHT) and gives its
// texts right-to-left reading order (WS_EX_RTLREADING); the bits are kept beside it so that
// the window says which styles it carries.
void SetRightToLeftStyles(QWidget& window, TBiDiMode mode);

} // namespace vx::i18n::ui
