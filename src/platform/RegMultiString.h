#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace vx::win {

// The text a REG_MULTI_SZ value's data reads as: every NUL but the final byte ends a line and
// becomes CR LF, and the text is cut at the first NUL left (so only at a final NUL). "a NUL b
// NUL NUL" gives "a\r\nb\r\n", "a NUL NUL b NUL NUL" gives "a\r\n\r\nb\r\n", a lone NUL gives
// "". The registry layer's reads and the machine key both read multi-strings this way, so
// that every reader of a value sees the same text.
inline std::string MultiStringLines(std::string_view data) {
    std::string text;
    if (data.empty()) {
        return text;
    }
    const std::string_view lines = data.substr(0, data.size() - 1);
    text.reserve(data.size() +
                 static_cast<std::size_t>(std::count(lines.begin(), lines.end(), '\0')));
    for (const char c : lines) {
        if (c == '\0') {
            text += "\r\n";
        } else {
            text += c;
        }
    }
    if (data.back() != '\0') {
        text += data.back();
    }
    return text;
}

} // namespace vx::win
