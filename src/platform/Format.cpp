#include "platform/Format.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <optional>

namespace vx {
namespace {

constexpr const char* InvalidFormatText = "Format '%s' invalid or incompatible with argument";
constexpr const char* ArgumentMissingText = "No argument for format '%s'";
// Widths and precisions, digits or "*", are cut to this: more is no text anyone reads, only
// memory and time spent on padding.
constexpr int MaxNumber = 1 << 20;

std::string Message(const char* pattern, std::string_view format) {
    std::string text(pattern);
    text.replace(text.find("%s"), 2, format);
    return text;
}

// One parsed directive.
struct TSpec {
    bool LeftJustify = false;
    int Width = -1;
    int Precision = -1;
    char Type = 0;
};

class TFormatter {
public:
    TFormatter(std::string_view format, std::span<const TFormatArg> args)
        : FFormat(format), FArgs(args) {}

    std::string Run() {
        std::string out;
        size_t i = 0;
        while (i < FFormat.size()) {
            const char c = FFormat[i];
            if (c != '%') {
                out += c;
                ++i;
                continue;
            }
            ++i;
            if (i < FFormat.size() && FFormat[i] == '%') {
                out += '%';
                ++i;
                continue;
            }
            out += Directive(i);
        }
        return out;
    }

private:
    [[noreturn]] void Invalid() const { throw EConvertError(Message(InvalidFormatText, FFormat)); }

    const TFormatArg& NextArg() {
        if (FNext >= FArgs.size()) {
            throw EConvertError(Message(ArgumentMissingText, FFormat));
        }
        return FArgs[FNext++];
    }

    // Digits at i, or "*" taking an integer argument, at most MaxNumber either way; nullopt
    // when neither is there. Only "*" can give a negative number, as small as -MaxNumber.
    std::optional<int> Number(size_t& i) {
        if (i < FFormat.size() && FFormat[i] == '*') {
            ++i;
            const auto& v = NextArg().Value();
            if (const auto* n = std::get_if<std::int64_t>(&v)) {
                return static_cast<int>(std::clamp<std::int64_t>(*n, -MaxNumber, MaxNumber));
            }
            if (const auto* u = std::get_if<std::uint64_t>(&v)) {
                return static_cast<int>(std::min<std::uint64_t>(*u, MaxNumber));
            }
            Invalid();
        }
        std::optional<int> value;
        while (i < FFormat.size() && FFormat[i] >= '0' && FFormat[i] <= '9') {
            const int digit = FFormat[i] - '0';
            value = std::min(value.value_or(0) * 10 + digit, MaxNumber);
            ++i;
        }
        return value;
    }

    std::string Directive(size_t& i) {
        TSpec spec;
        // Optional "index:" (digits followed by a colon) or "*:" selects the argument.
        const size_t start = i;
        std::optional<int> width = Number(i);
        if (width && i < FFormat.size() && FFormat[i] == ':') {
            if (*width < 0) {
                Invalid();
            }
            FNext = static_cast<size_t>(*width);
            width.reset();
            ++i;
        } else if (start >= FFormat.size() || FFormat[start] != '*') {
            // Digits without a colon are the width: read again below.
            width.reset();
            i = start;
        }
        if (i < FFormat.size() && FFormat[i] == '-') {
            spec.LeftJustify = true;
            ++i;
        }
        if (!width) {
            width = Number(i);
        }
        // A negative "*" width is a "-" and its digits, as in C.
        if (width && *width < 0) {
            spec.LeftJustify = true;
            width = -*width;
        }
        spec.Width = width.value_or(-1);
        if (i < FFormat.size() && FFormat[i] == '.') {
            ++i;
            const auto precision = Number(i);
            // As "." followed by a "-" and digits.
            if (!precision || *precision < 0) {
                Invalid();
            }
            spec.Precision = *precision;
        }
        if (i >= FFormat.size()) {
            Invalid();
        }
        spec.Type = static_cast<char>(FFormat[i] | 0x20); // type letters are case-insensitive
        ++i;
        return Pad(Convert(spec, NextArg()), spec);
    }

    std::string Convert(const TSpec& spec, const TFormatArg& arg) {
        const auto& v = arg.Value();
        switch (spec.Type) {
        case 'd':
            return Integer(spec, v, false);
        case 'u':
        case 'x':
            return Integer(spec, v, true);
        case 's': {
            const auto* text = std::get_if<std::string>(&v);
            if (text == nullptr) {
                Invalid();
            }
            if (spec.Precision >= 0 && static_cast<size_t>(spec.Precision) < text->size()) {
                return text->substr(0, static_cast<size_t>(spec.Precision));
            }
            return *text;
        }
        case 'f':
        case 'n':
        case 'e':
        case 'g': {
            const auto* number = std::get_if<double>(&v);
            if (number == nullptr) {
                Invalid();
            }
            return Floating(spec, *number);
        }
        default:
            Invalid();
        }
    }

    std::string Integer(const TSpec& spec, const TFormatArg::TValue& v, bool asUnsigned) {
        bool negative = false;
        std::uint64_t magnitude = 0;
        if (const auto* n = std::get_if<std::int64_t>(&v)) {
            if (asUnsigned && *n < 0) {
                // A negative value shows its two's complement: 32 bits when it fits an Integer.
                magnitude = *n >= INT32_MIN ? static_cast<std::uint32_t>(*n)
                                            : static_cast<std::uint64_t>(*n);
            } else {
                negative = *n < 0;
                magnitude =
                    negative ? 0 - static_cast<std::uint64_t>(*n) : static_cast<std::uint64_t>(*n);
            }
        } else if (const auto* u = std::get_if<std::uint64_t>(&v)) {
            magnitude = *u;
        } else {
            Invalid();
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, spec.Type == 'x' ? "%" PRIX64 : "%" PRIu64, magnitude);
        std::string digits(buffer);
        if (spec.Precision > 0 && digits.size() < static_cast<size_t>(spec.Precision)) {
            digits.insert(0, static_cast<size_t>(spec.Precision) - digits.size(), '0');
        }
        return negative ? "-" + digits : digits;
    }

    static std::string Floating(const TSpec& spec, double value) {
        if (std::isnan(value)) {
            return "NAN";
        }
        if (std::isinf(value)) {
            return value < 0 ? "-INF" : "INF";
        }
        char buffer[512];
        switch (spec.Type) {
        case 'f':
        case 'n': {
            const int decimals = std::min(spec.Precision < 0 ? 2 : spec.Precision, 18);
            std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
            std::string text(buffer);
            return spec.Type == 'n' ? Grouped(text) : text;
        }
        case 'e': {
            const int digits = std::clamp(spec.Precision < 0 ? 15 : spec.Precision, 1, 18);
            std::snprintf(buffer, sizeof buffer, "%.*E", digits - 1, value);
            return WidenExponent(buffer, 3);
        }
        default: {
            const int digits = std::clamp(spec.Precision < 0 ? 15 : spec.Precision, 1, 18);
            std::snprintf(buffer, sizeof buffer, "%.*G", digits, value);
            return WidenExponent(buffer, 0);
        }
        }
    }

    // "1.5E+05" with the exponent written with at least `minDigits` digits ("E+005"), or
    // without padding and without "+" when minDigits is 0 ("1.5E5", "1.5E-5").
    static std::string WidenExponent(std::string text, size_t minDigits) {
        const auto e = text.find('E');
        if (e == std::string::npos) {
            return text;
        }
        const char sign = text[e + 1];
        std::string digits = text.substr(e + 2);
        digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1));
        if (digits.size() < minDigits) {
            digits.insert(0, minDigits - digits.size(), '0');
        }
        std::string exponent = minDigits == 0 ? (sign == '-' ? "-" : "") : std::string(1, sign);
        return text.substr(0, e + 1) + exponent + digits;
    }

    // Thousands separators in the integer part of a fixed-point text.
    static std::string Grouped(const std::string& text) {
        const size_t digitsStart = text[0] == '-' ? 1 : 0;
        const size_t point = std::min(text.find('.'), text.size());
        std::string out = text.substr(0, digitsStart);
        for (size_t k = digitsStart; k < point; ++k) {
            if (k > digitsStart && (point - k) % 3 == 0) {
                out += ',';
            }
            out += text[k];
        }
        return out + text.substr(point);
    }

    static std::string Pad(std::string text, const TSpec& spec) {
        if (spec.Width > 0 && text.size() < static_cast<size_t>(spec.Width)) {
            const size_t fill = static_cast<size_t>(spec.Width) - text.size();
            if (spec.LeftJustify) {
                text.append(fill, ' ');
            } else {
                text.insert(0, fill, ' ');
            }
        }
        return text;
    }

    std::string_view FFormat;
    std::span<const TFormatArg> FArgs;
    size_t FNext = 0;
};

} // namespace

std::string FormatV(std::string_view format, std::span<const TFormatArg> args) {
    return TFormatter(format, args).Run();
}

} // namespace vx
