#pragma once

#include "taskdialog/JSTypes.h"

#include <array>

namespace vx::taskdialog {

// Positions in the widget's table of default fonts.
enum TJSDefaultFont : std::uint8_t {
    dfText,        // content, verification check box, buttons
    dfInstruction, // the main instruction
    dfFooter,
    dfExpando,
    dfHeader,
};
inline constexpr int JSDefaultFontCount = 5;

using TJSDefaultFontTable = std::array<TJSFontSettings, JSDefaultFontCount>;

// The process-wide default fonts that dialogs with UseDefaultFonts take. All follow the
// system's message font (empty names and sizes); the instruction is that face at 12 points in
// RGB(0, 51, 153). A loaded language sets their character set here. User-interface thread only.
TJSDefaultFontTable& TJSDefaultFonts();

// The table as it is before anything changes it.
TJSDefaultFontTable InitialJSDefaultFonts();

} // namespace vx::taskdialog
