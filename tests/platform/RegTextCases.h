#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vx::test {

// Data of text values (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) as the byte-string registry calls
// may store it, each with what makes it awkward to write to a hive file: bytes that are not
// UTF-8, NULs, line breaks, quotes, backslashes, no data at all.
struct TRegTextCase {
    const char* Name;
    std::string Data; // as stored, terminating NULs included
};

// A failing row is reported by its name, not as the bytes of the struct.
inline void PrintTo(const TRegTextCase& testCase, std::ostream* out) {
    *out << testCase.Name;
}

inline std::vector<TRegTextCase> AwkwardRegTexts() {
    using namespace std::string_literals;
    return {
        {"not UTF-8 with a NUL", "x\x80\0y\0"s},
        {"not UTF-8 with a line feed", "a\xFF\nb\0"s},
        {"not UTF-8 with a carriage return", "\xC3\r\0"s},
        {"not UTF-8 without line breaks", "caf\xE9\0"s},
        {"continuation bytes only", "\x80\xBF\0"s},
        {"overlong slash", "\xC0\xAF\0"s},
        {"encoded surrogate", "\xED\xB2\x80\0"s},
        {"cut sequence after valid text", "gr\xC3\xBC\xE2\x82\0"s},
        {"four-byte character then a stray byte", "\xF0\x9F\x98\x80\x80\0"s},
        {"replacement character itself", "\xEF\xBF\xBD\0"s},
        {"NUL inside valid text", "a\0b\0"s},
        {"CR LF inside", "one\r\ntwo\0"s},
        {"quotes and backslashes", "C:\\dir\\\"q\"\\\0"s},
        {"quotes backslashes and a stray byte", "\\\"\xFE\\\0"s},
        {"comment and section look-alikes", "; [HKEY_LOCAL_MACHINE\\X]\0"s},
        {"empty", ""s},
        {"only a NUL", "\0"s},
        {"no final NUL", "abc"s},
        {"no final NUL and not UTF-8", "ab\xF0"s},
    };
}

} // namespace vx::test
