#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Text conversions the Windows substitute needs. Byte strings are UTF-8, the code page of
// this system; "wide" text is UTF-16LE as Windows stores it.
namespace vx::win {

// What the conversions make of what does not convert. Replace: U+FFFD. KeepBytes: a byte
// that is no part of valid UTF-8 (always 0x80 to 0xFF) becomes the unpaired low surrogate
// U+DC80 to U+DCFF and that surrogate becomes the byte again, so that any byte string comes
// back unchanged from UTF-16; text that is valid UTF-8 converts as with Replace.
enum class TInvalidText { Replace, KeepBytes };

// UTF-16LE bytes to UTF-8. Unpaired surrogates (but those KeepBytes gives back as bytes) and
// a trailing odd byte become U+FFFD.
std::string Utf16LeToUtf8(const std::uint8_t* data, std::size_t size,
                          TInvalidText invalid = TInvalidText::Replace);

// UTF-8 to UTF-16LE bytes. Invalid UTF-8 bytes become U+FFFD, or are kept (KeepBytes).
std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view text,
                                        TInvalidText invalid = TInvalidText::Replace);

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// ASCII case folding, the comparison Windows applies to key and value names.
std::string FoldCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

// `text` without its leading and trailing blanks and control characters (every byte up to
// ' '), as Delphi's Trim.
std::string_view Trim(std::string_view text);

// `text` on one line: its trailing line breaks go and each inner one (CR LF, CR or LF) becomes
// a blank. Windows' message texts end in CR LF.
std::string OneLine(std::string_view text);

// The value of a hexadecimal digit of either case, -1 for any other character.
int HexDigit(char c);

// Hashing, equality and ordering of names under that folding, for containers of names.
struct TFoldedHash {
    std::size_t operator()(std::string_view text) const;
};
struct TFoldedEqual {
    bool operator()(std::string_view a, std::string_view b) const { return SameText(a, b); }
};
struct TFoldedLess {
    bool operator()(std::string_view a, std::string_view b) const;
};
// A sorted list of names that holds each name once, whatever its case.
using TFoldedNameSet = std::set<std::string, TFoldedLess>;

} // namespace vx::win
