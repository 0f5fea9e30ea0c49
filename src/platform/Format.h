#pragma once

#include "platform/Exception.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace vx {

// Raised by Format when a directive does not match its argument or has none.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// One argument of Format: an integer, a floating-point number or a text.
class TFormatArg {
public:
    using TValue = std::variant<std::int64_t, std::uint64_t, double, std::string>;

    template <class T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, char> && !std::is_same_v<T, bool>)
        TFormatArg(T value) { // NOLINT: implicit on purpose, Format(f, 1, "a") reads naturally
        if constexpr (std::is_signed_v<T>) {
            FValue = static_cast<std::int64_t>(value);
        } else {
            FValue = static_cast<std::uint64_t>(value);
        }
    }
    TFormatArg(double value) : FValue(value) {}
    TFormatArg(char value) : FValue(std::string(1, value)) {}
    TFormatArg(const char* value) : FValue(std::string(value)) {}
    TFormatArg(std::string_view value) : FValue(std::string(value)) {}
    TFormatArg(const std::string& value) : FValue(value) {}

    const TValue& Value() const { return FValue; }

private:
    TValue FValue;
};

// Delphi-style Format: "%" [index ":"] ["-"] [width] ["." precision] type, with width and
// precision given as digits or "*" (taken from the next argument; a negative width aligns
// left, a negative precision is invalid), both cut to 1,048,576, "%%" for a percent sign.
// Types: d (signed decimal; precision = minimum digits), u (unsigned decimal), x (upper-case
// hexadecimal), s (text; precision = maximum characters), f (fixed, 2 decimals by default),
// n (as f with thousands separators), e (scientific, 15 significant digits by default),
// g (general, 15 significant digits by default). Type letters may be upper case.
//
// Every argument is checked against its directive: a text for %d, a number for %s, a missing
// argument or an unknown directive raises EConvertError with a message naming the format,
// so that a wrong (for example translated) format text can never crash the program.
std::string FormatV(std::string_view format, std::span<const TFormatArg> args);

template <class... A>
std::string Format(std::string_view format, const A&... args) {
    const std::vector<TFormatArg> list{TFormatArg(args)...};
    return FormatV(format, list);
}

} // namespace vx
