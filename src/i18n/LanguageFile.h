#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vx::i18n {

// A language file held in memory: sections of name=value lines, read as an INI text.
//
// Parsing: lines end at CR LF, CR or LF and are trimmed of blanks and control characters;
// empty lines and lines beginning with ";" are skipped; "[name]" opens a section (lines before
// the first one are ignored); any other line is a key and a value split at its first "=", both
// trimmed. A line without "=" stays in its section but is never found as a key. Quotes and
// escapes are kept as written.
//
// Sections and keys are compared without regard to ASCII letter case; when one occurs twice,
// lookups find the first.
class TLanguageFile {
public:
    TLanguageFile() = default;
    explicit TLanguageFile(std::string_view text);

    // Replaces the contents by the parse of `text`.
    void SetText(std::string_view text);

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    // The value, or `fallback` when the section or the key is missing. A key present with an
    // empty value gives the empty text.
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& fallback) const;
    // "0x"/"0X" followed by at least one character is read as hexadecimal (up to 32 bits;
    // 0xFFFFFFFF is -1), anything else as a signed 32-bit decimal; a text that is not such a
    // number, or a missing key, gives `fallback`.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t fallback) const;
    // An integer read with the default 0 or 1; true when the number is not 0.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    // Sets the value of the key's first line, appending the line (and the section) when
    // missing.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);

    // The file as text: each section as "[name]" followed by its lines and an empty line, every
    // line ended by CR LF. Reading the text back gives the same sections and lines.
    std::string Text() const;

    // Every section's name in file order, a name that occurs again included (lookups never
    // reach such a later section).
    std::vector<std::string> SectionNames() const;
    // The section's key names in file order (lines without "=" excluded).
    std::vector<std::string> ReadSection(std::string_view section) const;
    // The section's lines as held: "name=value", or the text of a line without "=".
    std::vector<std::string> ReadSectionValues(std::string_view section) const;

private:
    struct TLine {
        std::string Name; // the whole text for a line without "="
        std::string Value;
        bool HasValue = false;
    };
    struct TSection {
        std::string Name;
        std::vector<TLine> Lines;
        // Folded key name -> first line with that name.
        std::unordered_map<std::string, std::size_t> Keys;
    };

    void AddLine(TSection& section, TLine line);
    TSection& AddSection(std::string name);
    const TSection* FindSection(std::string_view name) const;
    const TLine* FindLine(std::string_view section, std::string_view key) const;

    std::vector<TSection> FSections;
    // Folded section name -> first section with that name.
    std::unordered_map<std::string, std::size_t> FSectionIndex;
};

} // namespace vx::i18n
