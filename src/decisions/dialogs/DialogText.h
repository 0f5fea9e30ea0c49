#pragma once

#include <string_view>

#include <QString>

// Texts of the product dialogs: the system's texts are bytes in its code page (UTF-8), the
// dialogs work in UTF-16.
namespace vx::dialogs {

// The bytes as UTF-16; each invalid byte becomes U+FFFD.
QString DialogText(std::string_view bytes);

// A data value (a decision's field) as a widget text that shows it exactly as typed: never
// markup, never a line break. Control characters show as their Unicode control pictures
// (CR as U+240D, LF as U+240A, ...), and the invisible direction controls and zero-width
// spaces as "[U+202E]" and the like, so that a value can neither add lines nor reorder or
// hide the text around it.
QString DialogValue(std::string_view bytes);

} // namespace vx::dialogs
