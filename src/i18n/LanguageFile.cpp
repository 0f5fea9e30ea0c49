#include "i18n/LanguageFile.h"

#include "platform/TextCodec.h"

#include <limits>

namespace vx::i18n {
namespace {

constexpr char CommentStart = ';';
constexpr char SectionOpen = '[';
constexpr char SectionClose = ']';
constexpr char KeySeparator = '=';
constexpr std::string_view HexPrefixLower = "0x";
constexpr std::string_view HexPrefixUpper = "0X";

bool ParseHex(std::string_view digits, std::int32_t& value) {
    std::uint64_t result = 0;
    for (const char c : digits) {
        const int digit = win::HexDigit(c);
        if (digit < 0) {
            return false;
        }
        result = result * 16 + static_cast<std::uint64_t>(digit);
        if (result > std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
    }
    // Like a 32-bit register: the top bit makes it negative.
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
    return true;
}

bool ParseDecimal(std::string_view text, std::int32_t& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return false;
    }
    const std::int64_t limit =
        negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                 : std::numeric_limits<std::int32_t>::max();
    std::int64_t result = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        result = result * 10 + (c - '0');
        if (result > limit) {
            return false;
        }
    }
    value = static_cast<std::int32_t>(negative ? -result : result);
    return true;
}

} // namespace

TLanguageFile::TLanguageFile(std::string_view text) {
    SetText(text);
}

void TLanguageFile::SetText(std::string_view text) {
    FSections.clear();
    FSectionIndex.clear();
    TSection* current = nullptr;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = win::Trim(text.substr(start, end - start));
        start = end + 1;
        if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }

        if (line.empty() || line.front() == CommentStart) {
            continue;
        }
        if (line.size() >= 2 && line.front() == SectionOpen && line.back() == SectionClose) {
            current = &AddSection(std::string(win::Trim(line.substr(1, line.size() - 2))));
            continue;
        }
        if (current == nullptr) {
            continue;
        }
        TLine entry;
        const auto separator = line.find(KeySeparator);
        if (separator == std::string_view::npos) {
            entry.Name = std::string(line);
        } else {
            entry.Name = std::string(win::Trim(line.substr(0, separator)));
            entry.Value = std::string(win::Trim(line.substr(separator + 1)));
            entry.HasValue = true;
        }
        AddLine(*current, std::move(entry));
    }
}

TLanguageFile::TSection& TLanguageFile::AddSection(std::string name) {
    FSectionIndex.emplace(win::FoldCase(name), FSections.size());
    FSections.push_back(TSection{std::move(name), {}, {}});
    return FSections.back();
}

void TLanguageFile::AddLine(TSection& section, TLine line) {
    if (line.HasValue) {
        section.Keys.emplace(win::FoldCase(line.Name), section.Lines.size());
    }
    section.Lines.push_back(std::move(line));
}

const TLanguageFile::TSection* TLanguageFile::FindSection(std::string_view name) const {
    const auto found = FSectionIndex.find(win::FoldCase(name));
    return found == FSectionIndex.end() ? nullptr : &FSections[found->second];
}

const TLanguageFile::TLine* TLanguageFile::FindLine(std::string_view section,
                                                    std::string_view key) const {
    const TSection* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    const auto line = found->Keys.find(win::FoldCase(key));
    return line == found->Keys.end() ? nullptr : &found->Lines[line->second];
}

bool TLanguageFile::SectionExists(std::string_view section) const {
    return FindSection(section) != nullptr;
}

bool TLanguageFile::ValueExists(std::string_view section, std::string_view key) const {
    return FindLine(section, key) != nullptr;
}

std::string TLanguageFile::ReadString(std::string_view section, std::string_view key,
                                      const std::string& fallback) const {
    const TLine* line = FindLine(section, key);
    return line == nullptr ? fallback : line->Value;
}

std::int32_t TLanguageFile::ReadInteger(std::string_view section, std::string_view key,
                                        std::int32_t fallback) const {
    const TLine* line = FindLine(section, key);
    if (line == nullptr) {
        return fallback;
    }
    const std::string_view text = line->Value;
    std::int32_t value = fallback;
    const bool hex =
        text.size() >= 3 && (text.starts_with(HexPrefixLower) || text.starts_with(HexPrefixUpper));
    const bool parsed = hex ? ParseHex(text.substr(2), value) : ParseDecimal(text, value);
    return parsed ? value : fallback;
}

bool TLanguageFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TLanguageFile::WriteString(std::string_view section, std::string_view key,
                                std::string_view value) {
    const auto found = FSectionIndex.find(win::FoldCase(section));
    TSection& target =
        found == FSectionIndex.end() ? AddSection(std::string(section)) : FSections[found->second];
    const auto line = target.Keys.find(win::FoldCase(key));
    if (line != target.Keys.end()) {
        target.Lines[line->second].Value = std::string(value);
        return;
    }
    AddLine(target, TLine{std::string(key), std::string(value), true});
}

std::string TLanguageFile::Text() const {
    std::string text;
    for (const TSection& section : FSections) {
        text += "[" + section.Name + "]\r\n";
        for (const TLine& line : section.Lines) {
            text += line.HasValue ? line.Name + KeySeparator + line.Value : line.Name;
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> TLanguageFile::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(FSections.size());
    for (const TSection& section : FSections) {
        names.push_back(section.Name);
    }
    return names;
}

std::vector<std::string> TLanguageFile::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    if (const TSection* found = FindSection(section)) {
        for (const TLine& line : found->Lines) {
            if (line.HasValue) {
                keys.push_back(line.Name);
            }
        }
    }
    return keys;
}

std::vector<std::string> TLanguageFile::ReadSectionValues(std::string_view section) const {
    std::vector<std::string> lines;
    if (const TSection* found = FindSection(section)) {
        for (const TLine& line : found->Lines) {
            lines.push_back(line.HasValue ? line.Name + KeySeparator + line.Value : line.Name);
        }
    }
    return lines;
}

} // namespace vx::i18n
