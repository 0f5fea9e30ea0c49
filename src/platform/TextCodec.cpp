#include "platform/TextCodec.h"

#include <algorithm>
#include <functional>
#include <optional>

namespace vx::win {

namespace {

constexpr char32_t Replacement = 0xFFFD;
// KeepBytes: the byte b that is not UTF-8 travels as the unpaired surrogate KeptByteBase + b.
constexpr char16_t KeptByteBase = 0xDC00;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::vector<std::uint8_t>& out, char16_t unit) {
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
}

// Decodes one UTF-8 sequence at text[i], advancing i; nullopt when the bytes there are not
// UTF-8 (i then stands past those that were read).
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) {
        return lead;
    }
    int extra = 0;
    char32_t c = 0;
    char32_t min = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, min = 0x10000;
    } else {
        return std::nullopt;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    return c;
}

} // namespace

std::string Utf16LeToUtf8(const std::uint8_t* data, std::size_t size, TInvalidText invalid) {
    std::string out;
    out.reserve(size / 2);
    std::size_t i = 0;
    const auto unitAt = [&](std::size_t at) {
        return static_cast<char16_t>(data[at] | (data[at + 1] << 8));
    };
    while (i + 1 < size) {
        const char16_t unit = unitAt(i);
        i += 2;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < size) {
            const char16_t low = unitAt(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                i += 2;
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        if (invalid == TInvalidText::KeepBytes && unit >= KeptByteBase + 0x80 &&
            unit <= KeptByteBase + 0xFF) {
            out += static_cast<char>(unit - KeptByteBase);
            continue;
        }
        AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? Replacement : unit);
    }
    if (i < size) {
        AppendUtf8(out, Replacement);
    }
    return out;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (!NextCodePoint(text, i)) {
            return false;
        }
    }
    return true;
}

std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view text, TInvalidText invalid) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size() * 2);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t start = i;
        const auto decoded = NextCodePoint(text, i);
        if (!decoded && invalid == TInvalidText::KeepBytes) {
            // Only the lead byte is kept here: the bytes after it may start valid text.
            i = start + 1;
            AppendUtf16(
                out, static_cast<char16_t>(KeptByteBase + static_cast<unsigned char>(text[start])));
            continue;
        }
        const char32_t c = decoded.value_or(Replacement);
        if (c >= 0x10000) {
            AppendUtf16(out, static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            AppendUtf16(out, static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            AppendUtf16(out, static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string_view Trim(std::string_view text) {
    auto isControl = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isControl(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isControl(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string OneLine(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        line += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    }
    return line;
}

std::string FoldCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = Lower(c);
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

std::size_t TFoldedHash::operator()(std::string_view text) const {
    return std::hash<std::string>{}(FoldCase(text));
}

bool TFoldedLess::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(Lower(x)) < static_cast<unsigned char>(Lower(y));
    });
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace vx::win
