#pragma once

#include <string_view>

#include <QString>

// Texts of the product dialogs: the system's texts are bytes in its code page (UTF-8), the
// dialogs work in UTF-16.
namespace vx::dialogs {

// The bytes as UTF-16; each invalid byte becomes U+FFFD.
QString DialogText(std::string_view bytes);

// A data value (a decision's field) as plain text that shows it exactly as typed, on one
// line: control characters show as their Unicode control pictures (CR as U+240D, LF as
// U+240A, ...), and the invisible direction controls and zero-width spaces as "[U+202E]" and
// the like, so that a value can neither add lines nor reorder or hide the text around it.
QString DialogValueText(std::string_view bytes);
// The same as a widget text: never markup.
QString DialogValue(std::string_view bytes);

} // namespace vx::dialogs
