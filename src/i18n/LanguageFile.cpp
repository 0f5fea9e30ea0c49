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

// Without leading and trailing blanks and control characters.
std::string_view Trim(std::string_view Text) {
    auto IsSpace = [](char C) { return static_cast<unsigned char>(C) <= ' '; };
    while (!Text.empty() && IsSpace(Text.front())) {
        Text.remove_prefix(1);
    }
    while (!Text.empty() && IsSpace(Text.back())) {
        Text.remove_suffix(1);
    }
    return Text;
}

int HexDigit(char C) {
    if (C >= '0' && C <= '9') {
        return C - '0';
    }
    if (C >= 'a' && C <= 'f') {
        return C - 'a' + 10;
    }
    if (C >= 'A' && C <= 'F') {
        return C - 'A' + 10;
    }
    return -1;
}

bool ParseHex(std::string_view Digits, std::int32_t& Value) {
    std::uint64_t Result = 0;
    for (const char C : Digits) {
        const int Digit = HexDigit(C);
        if (Digit < 0) {
            return false;
        }
        Result = Result * 16 + static_cast<std::uint64_t>(Digit);
        if (Result > std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
    }
    // Like a 32-bit register: the top bit makes it negative.
    Value = static_cast<std::int32_t>(static_cast<std::uint32_t>(Result));
    return true;
}

bool ParseDecimal(std::string_view Text, std::int32_t& Value) {
    bool Negative = false;
    if (!Text.empty() && (Text.front() == '+' || Text.front() == '-')) {
        Negative = Text.front() == '-';
        Text.remove_prefix(1);
    }
    if (Text.empty()) {
        return false;
    }
    const std::int64_t Limit =
        Negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                 : std::numeric_limits<std::int32_t>::max();
    std::int64_t Result = 0;
    for (const char C : Text) {
        if (C < '0' || C > '9') {
            return false;
        }
        Result = Result * 10 + (C - '0');
        if (Result > Limit) {
            return false;
        }
    }
    Value = static_cast<std::int32_t>(Negative ? -Result : Result);
    return true;
}

} // namespace

TLanguageFile::TLanguageFile(std::string_view Text) {
    SetText(Text);
}

void TLanguageFile::SetText(std::string_view Text) {
    FSections.clear();
    FSectionIndex.clear();
    TSection* Current = nullptr;
    std::size_t Start = 0;
    while (Start <= Text.size()) {
        std::size_t End = Text.find_first_of("\r\n", Start);
        if (End == std::string_view::npos) {
            End = Text.size();
        }
        const std::string_view Line = Trim(Text.substr(Start, End - Start));
        Start = End + 1;
        if (End < Text.size() && Text[End] == '\r' && Start < Text.size() && Text[Start] == '\n') {
            ++Start;
        }

        if (Line.empty() || Line.front() == CommentStart) {
            continue;
        }
        if (Line.size() >= 2 && Line.front() == SectionOpen && Line.back() == SectionClose) {
            Current = &AddSection(std::string(Trim(Line.substr(1, Line.size() - 2))));
            continue;
        }
        if (Current == nullptr) {
            continue;
        }
        TLine Entry;
        const auto Separator = Line.find(KeySeparator);
        if (Separator == std::string_view::npos) {
            Entry.Name = std::string(Line);
        } else {
            Entry.Name = std::string(Trim(Line.substr(0, Separator)));
            Entry.Value = std::string(Trim(Line.substr(Separator + 1)));
            Entry.HasValue = true;
        }
        AddLine(*Current, std::move(Entry));
    }
}

TLanguageFile::TSection& TLanguageFile::AddSection(std::string Name) {
    FSectionIndex.emplace(win::FoldCase(Name), FSections.size());
    FSections.push_back(TSection{std::move(Name), {}, {}});
    return FSections.back();
}

void TLanguageFile::AddLine(TSection& Section, TLine Line) {
    if (Line.HasValue) {
        Section.Keys.emplace(win::FoldCase(Line.Name), Section.Lines.size());
    }
    Section.Lines.push_back(std::move(Line));
}

const TLanguageFile::TSection* TLanguageFile::FindSection(std::string_view Name) const {
    const auto Found = FSectionIndex.find(win::FoldCase(Name));
    return Found == FSectionIndex.end() ? nullptr : &FSections[Found->second];
}

const TLanguageFile::TLine* TLanguageFile::FindLine(std::string_view Section,
                                                    std::string_view Key) const {
    const TSection* Found = FindSection(Section);
    if (Found == nullptr) {
        return nullptr;
    }
    const auto Line = Found->Keys.find(win::FoldCase(Key));
    return Line == Found->Keys.end() ? nullptr : &Found->Lines[Line->second];
}

bool TLanguageFile::SectionExists(std::string_view Section) const {
    return FindSection(Section) != nullptr;
}

bool TLanguageFile::ValueExists(std::string_view Section, std::string_view Key) const {
    return FindLine(Section, Key) != nullptr;
}

std::string TLanguageFile::ReadString(std::string_view Section, std::string_view Key,
                                      const std::string& Default) const {
    const TLine* Line = FindLine(Section, Key);
    return Line == nullptr ? Default : Line->Value;
}

std::int32_t TLanguageFile::ReadInteger(std::string_view Section, std::string_view Key,
                                        std::int32_t Default) const {
    const TLine* Line = FindLine(Section, Key);
    if (Line == nullptr) {
        return Default;
    }
    const std::string_view Text = Line->Value;
    std::int32_t Value = Default;
    const bool Hex =
        Text.size() >= 3 && (Text.starts_with(HexPrefixLower) || Text.starts_with(HexPrefixUpper));
    const bool Parsed = Hex ? ParseHex(Text.substr(2), Value) : ParseDecimal(Text, Value);
    return Parsed ? Value : Default;
}

bool TLanguageFile::ReadBool(std::string_view Section, std::string_view Key, bool Default) const {
    return ReadInteger(Section, Key, Default ? 1 : 0) != 0;
}

void TLanguageFile::WriteString(std::string_view Section, std::string_view Key,
                                std::string_view Value) {
    const auto Found = FSectionIndex.find(win::FoldCase(Section));
    TSection& Target =
        Found == FSectionIndex.end() ? AddSection(std::string(Section)) : FSections[Found->second];
    const auto Line = Target.Keys.find(win::FoldCase(Key));
    if (Line != Target.Keys.end()) {
        Target.Lines[Line->second].Value = std::string(Value);
        return;
    }
    AddLine(Target, TLine{std::string(Key), std::string(Value), true});
}

std::vector<std::string> TLanguageFile::ReadSection(std::string_view Section) const {
    std::vector<std::string> Keys;
    if (const TSection* Found = FindSection(Section)) {
        for (const TLine& Line : Found->Lines) {
            if (Line.HasValue) {
                Keys.push_back(Line.Name);
            }
        }
    }
    return Keys;
}

std::vector<std::string> TLanguageFile::ReadSectionValues(std::string_view Section) const {
    std::vector<std::string> Lines;
    if (const TSection* Found = FindSection(Section)) {
        for (const TLine& Line : Found->Lines) {
            Lines.push_back(Line.HasValue ? Line.Name + KeySeparator + Line.Value : Line.Name);
        }
    }
    return Lines;
}

} // namespace vx::i18n
