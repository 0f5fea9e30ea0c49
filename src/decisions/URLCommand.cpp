#include "decisions/URLCommand.h"

#include <bitset>

namespace vx::decisions {
namespace {

constexpr char QueryStart = '?';
constexpr char FieldSeparator = '&';
constexpr char EscapeStart = '%';
constexpr const char* UpperDigits = "0123456789ABCDEF";
constexpr const char* LowerDigits = "0123456789abcdef";
// Below this value escapes are never decoded.
constexpr int FirstDecodedByte = 10;

// Digit value of an upper-case ('0'-'9', 'A'-'F') or lower-case ('0'-'9', 'a'-'f') digit;
// -1 for anything else.
int DigitIn(char c, bool upper) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char first = upper ? 'A' : 'a';
    return c >= first && c <= first + 5 ? c - first + 10 : -1;
}

// Which escapes of each case form occur in `text`, by value.
struct TEscapesPresent {
    std::bitset<256> Upper;
    std::bitset<256> Lower;
};

TEscapesPresent FindEscapes(const std::string& text) {
    TEscapesPresent present;
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        if (text[i] != EscapeStart) {
            continue;
        }
        for (const bool upper : {true, false}) {
            const int high = DigitIn(text[i + 1], upper);
            const int low = DigitIn(text[i + 2], upper);
            if (high >= 0 && low >= 0) {
                (upper ? present.Upper : present.Lower)
                    .set(static_cast<std::size_t>(high) * 16 + static_cast<std::size_t>(low));
            }
        }
    }
    return present;
}

// Whether a decoded byte can take part in a new escape: as its "%" or as one of its digits.
bool CanFormEscape(int v) {
    return v == EscapeStart || DigitIn(static_cast<char>(v), true) >= 0 ||
           DigitIn(static_cast<char>(v), false) >= 0;
}

// Replaces, in place, every "%" `high` `low` from the left and without overlap by the byte
// `value`; true when anything was replaced.
bool ReplaceEscape(std::string& text, char high, char low, char value) {
    const std::size_t size = text.size();
    std::size_t read = text.find(EscapeStart);
    std::size_t write = read;
    bool replaced = false;
    while (read < size) {
        if (read + 2 < size && text[read] == EscapeStart && text[read + 1] == high &&
            text[read + 2] == low) {
            text[write++] = value;
            read += 3;
            replaced = true;
        } else {
            text[write++] = text[read++];
        }
    }
    if (replaced) {
        text.resize(write);
    }
    return replaced;
}

} // namespace

void SplitURLCommand(const std::string& text, std::string& command, TStrings& params) {
    params.clear();
    const auto query = text.find(QueryStart);
    if (query == std::string::npos) {
        command = text;
        return;
    }
    command = text.substr(0, query);
    const std::string fields = text.substr(query + 1);
    if (fields.empty()) {
        return;
    }
    std::size_t start = 0;
    for (;;) {
        const auto end = fields.find(FieldSeparator, start);
        if (end == std::string::npos) {
            params.push_back(fields.substr(start));
            return;
        }
        params.push_back(fields.substr(start, end - start));
        start = end + 1;
    }
}

std::string URLDecode(const std::string& text) {
    std::string result = text;
    // Only the escapes present are replaced. Every occurrence of the replaced escape goes,
    // and the others stay intact (escapes cannot overlap: a digit is never "%"); only a
    // decoded "%" or hexadecimal digit can form new escapes with its neighbours, and only then
    // is the text searched again.
    TEscapesPresent present = FindEscapes(result);
    for (int v = FirstDecodedByte; v <= 255; ++v) {
        const auto value = static_cast<std::size_t>(v);
        for (const bool upper : {true, false}) {
            if (!(upper ? present.Upper : present.Lower).test(value)) {
                continue;
            }
            const char* digits = upper ? UpperDigits : LowerDigits;
            const char high = digits[v >> 4];
            const char low = digits[v & 15];
            if (ReplaceEscape(result, high, low, static_cast<char>(v)) && CanFormEscape(v)) {
                present = FindEscapes(result);
            } else {
                // This pattern is gone; with digits only it was both case forms.
                (upper ? present.Upper : present.Lower).reset(value);
                if (high == LowerDigits[v >> 4] && low == LowerDigits[v & 15]) {
                    present.Lower.reset(value);
                }
            }
        }
    }
    return result;
}

std::string ByteToHex(std::uint8_t value) {
    return {UpperDigits[value >> 4], UpperDigits[value & 15]};
}

TStrings SplitTextLines(const std::string& text) {
    TStrings lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

} // namespace vx::decisions
