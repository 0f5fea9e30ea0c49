// fuzz_language: the bytes of a language file, plain or compressed ("LCF1" and a zlib stream).
// The text read must be the bytes themselves, or what one plain inflate of the stream gives up
// to its end or first fault. Every section and key the text holds must be found as a plain
// reading of the format (written here, the slow and obvious way) finds it: the first section of
// a name, the first line of a key, values and integers as written; and every value unescapes as
// the escape rule read plainly says.

#include "fuzz/Check.h"
#include "i18n/LanguageFile.h"
#include "i18n/LanguageFileReader.h"
#include "i18n/LanguageText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <zlib.h>

namespace vx::fuzz {
namespace {

constexpr std::int32_t Fallback = 0x5EED;
constexpr const char* Missing = "\x01missing";
constexpr const char* WrittenValue = "written";
constexpr std::string_view CompressedHead = "LCF1";

// Everything one inflate of the whole stream gives before it ends or fails, up to the cap.
std::string ReferenceInflate(std::string_view stream) {
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        Fail("inflateInit");
    }
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    zs.avail_in = static_cast<uInt>(stream.size());
    std::string out;
    int status = Z_OK;
    while (status == Z_OK && out.size() < i18n::MaxLanguageText) {
        const std::size_t start = out.size();
        const std::size_t room = std::min(std::size_t{64} * 1024, i18n::MaxLanguageText - start);
        out.resize(start + room);
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + start);
        zs.avail_out = static_cast<uInt>(room);
        status = inflate(&zs, Z_NO_FLUSH);
        out.resize(start + room - zs.avail_out);
    }
    inflateEnd(&zs);
    return out;
}

// Line breaks first, each "%0D%0A" replaced while one is left; then "%%" pairs from the left.
std::string ReferenceUnescape(std::string text) {
    for (auto at = text.find("%0D%0A"); at != std::string::npos; at = text.find("%0D%0A")) {
        text.replace(at, 6, "\r\n");
    }
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
        }
    }
    return out;
}

struct TRefLine {
    std::string Name;
    std::string Value;
    bool HasValue = false;
};

struct TRefSection {
    std::string Name;
    std::vector<TRefLine> Lines;
};

std::string Trimmed(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ') {
        ++first;
    }
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') {
        --last;
    }
    return std::string(text.substr(first, last - first));
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Folded(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = Lower(c);
    }
    return out;
}

// Lines end at CR LF, CR or LF and are trimmed; empty lines and ";" comments are skipped;
// "[name]" opens a section; other lines belong to the open section, if any, split at "=".
std::vector<TRefSection> ReferenceParse(std::string_view text) {
    std::vector<std::string> lines{""};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    std::vector<TRefSection> sections;
    for (const auto& raw : lines) {
        const std::string line = Trimmed(raw);
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections.push_back({Trimmed(std::string_view(line).substr(1, line.size() - 2)), {}});
            continue;
        }
        if (sections.empty()) {
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos) {
            sections.back().Lines.push_back({line, {}, false});
        } else {
            sections.back().Lines.push_back({Trimmed(std::string_view(line).substr(0, equals)),
                                             Trimmed(std::string_view(line).substr(equals + 1)),
                                             true});
        }
    }
    return sections;
}

// "0x" or "0X" and at least one more character: up to 32 bits of hexadecimal, the top bit
// making it negative; otherwise an optional sign and decimal digits within 32 bits.
std::int32_t ReferenceInteger(const std::string& text, std::int32_t fallback) {
    const bool hex = text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::uint64_t value = 0;
    if (hex) {
        for (std::size_t i = 2; i < text.size(); ++i) {
            const char c = Lower(text[i]);
            int digit = -1;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            }
            if (digit < 0) {
                return fallback;
            }
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > std::numeric_limits<std::uint32_t>::max()) {
                return fallback;
            }
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        i = 1;
    }
    if (i == text.size()) {
        return fallback;
    }
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return fallback;
        }
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > (std::uint64_t{1} << 31)) {
            return fallback;
        }
    }
    if (!negative && value > std::numeric_limits<std::int32_t>::max()) {
        return fallback;
    }
    return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(value))
                    : static_cast<std::int32_t>(value);
}

const TRefSection* FirstSection(const std::vector<TRefSection>& sections, const std::string& name) {
    for (const auto& section : sections) {
        if (Folded(section.Name) == Folded(name)) {
            return &section;
        }
    }
    return nullptr;
}

const TRefLine* FirstLine(const TRefSection& section, const std::string& key) {
    for (const auto& line : section.Lines) {
        if (line.HasValue && Folded(line.Name) == Folded(key)) {
            return &line;
        }
    }
    return nullptr;
}

void CheckSection(const i18n::TLanguageFile& file, const TRefSection& section) {
    std::vector<std::string> keys;
    std::vector<std::string> values;
    for (const auto& line : section.Lines) {
        if (line.HasValue) {
            keys.push_back(line.Name);
        }
        values.push_back(line.HasValue ? line.Name + "=" + line.Value : line.Name);
    }
    if (!file.SectionExists(section.Name) || file.ReadSection(section.Name) != keys ||
        file.ReadSectionValues(section.Name) != values) {
        Fail("section [" + section.Name + "] is not as written");
    }
    for (const auto& line : section.Lines) {
        if (!line.HasValue) {
            continue;
        }
        const TRefLine& first = *FirstLine(section, line.Name);
        if (!file.ValueExists(section.Name, line.Name) ||
            file.ReadString(section.Name, line.Name, Missing) != first.Value) {
            Fail("key \"" + line.Name + "\" of [" + section.Name + "] is not its first line");
        }
        if (file.ReadInteger(section.Name, line.Name, Fallback) !=
            ReferenceInteger(first.Value, Fallback)) {
            Fail("the integer of key \"" + line.Name + "\" of [" + section.Name + "]");
        }
        std::string unescaped = line.Value;
        i18n::UnescapeText(unescaped);
        if (unescaped != ReferenceUnescape(line.Value)) {
            Fail("the escapes of key \"" + line.Name + "\" of [" + section.Name + "]");
        }
    }
}

} // namespace
} // namespace vx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx::fuzz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream input{std::string(bytes)};
    const std::string text = vx::i18n::ReadLanguageText(input, "LCF");
    const bool compressed =
        bytes.size() > CompressedHead.size() && bytes.starts_with(CompressedHead);
    if (text != (compressed ? ReferenceInflate(bytes.substr(CompressedHead.size())) : bytes)) {
        Fail(compressed ? "the inflated text" : "the plain text");
    }
    vx::i18n::TLanguageFile file(text);
    const auto sections = ReferenceParse(text);
    for (const auto& section : sections) {
        // Later sections of the same name are never looked at.
        if (FirstSection(sections, section.Name) == &section) {
            CheckSection(file, section);
        }
    }
    if (sections.empty()) {
        return 0;
    }
    // Writing a key of the first section, new or not, is what reading it then gives.
    const TRefSection& first = sections.front();
    const std::string key =
        first.Lines.empty() || !first.Lines.front().HasValue ? "New" : first.Lines.front().Name;
    file.WriteString(first.Name, key, WrittenValue);
    if (file.ReadString(first.Name, key, Missing) != WrittenValue) {
        Fail("a written key does not read back");
    }
    return 0;
}
