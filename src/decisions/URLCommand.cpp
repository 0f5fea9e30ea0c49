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
int DigitIn(char C, bool Upper) {
    if (C >= '0' && C <= '9') {
        return C - '0';
    }
    const char First = Upper ? 'A' : 'a';
    return C >= First && C <= First + 5 ? C - First + 10 : -1;
}

// Which escapes of each case form occur in Text, by value.
struct TEscapesPresent {
    std::bitset<256> Upper;
    std::bitset<256> Lower;
};

TEscapesPresent FindEscapes(const std::string& Text) {
    TEscapesPresent Present;
    for (std::size_t I = 0; I + 2 < Text.size(); ++I) {
        if (Text[I] != EscapeStart) {
            continue;
        }
        for (const bool Upper : {true, false}) {
            const int High = DigitIn(Text[I + 1], Upper);
            const int Low = DigitIn(Text[I + 2], Upper);
            if (High >= 0 && Low >= 0) {
                (Upper ? Present.Upper : Present.Lower)
                    .set(static_cast<std::size_t>(High * 16 + Low));
            }
        }
    }
    return Present;
}

// Whether a decoded byte can take part in a new escape: as its "%" or as one of its digits.
bool CanFormEscape(int V) {
    return V == EscapeStart || DigitIn(static_cast<char>(V), true) >= 0 ||
           DigitIn(static_cast<char>(V), false) >= 0;
}

// Replaces, in place, every "%" High Low from the left and without overlap by the byte
// Value; true when anything was replaced.
bool ReplaceEscape(std::string& Text, char High, char Low, char Value) {
    const std::size_t Size = Text.size();
    std::size_t Read = Text.find(EscapeStart);
    std::size_t Write = Read;
    bool Replaced = false;
    while (Read < Size) {
        if (Read + 2 < Size && Text[Read] == EscapeStart && Text[Read + 1] == High &&
            Text[Read + 2] == Low) {
            Text[Write++] = Value;
            Read += 3;
            Replaced = true;
        } else {
            Text[Write++] = Text[Read++];
        }
    }
    if (Replaced) {
        Text.resize(Write);
    }
    return Replaced;
}

} // namespace

void SplitURLCommand(const std::string& Text, std::string& Command, TStrings& Params) {
    Params.clear();
    const auto Query = Text.find(QueryStart);
    if (Query == std::string::npos) {
        Command = Text;
        return;
    }
    Command = Text.substr(0, Query);
    const std::string Fields = Text.substr(Query + 1);
    if (Fields.empty()) {
        return;
    }
    std::size_t Start = 0;
    for (;;) {
        const auto End = Fields.find(FieldSeparator, Start);
        if (End == std::string::npos) {
            Params.push_back(Fields.substr(Start));
            return;
        }
        Params.push_back(Fields.substr(Start, End - Start));
        Start = End + 1;
    }
}

std::string URLDecode(const std::string& Text) {
    std::string Result = Text;
    // Only the escapes present are replaced. Every occurrence of the replaced escape goes,
    // and the others stay intact (escapes cannot overlap: a digit is never "%"); only a
    // decoded "%" or hexadecimal digit can form new escapes with its neighbours, and only then
    // is the text searched again.
    TEscapesPresent Present = FindEscapes(Result);
    for (int V = FirstDecodedByte; V <= 255; ++V) {
        const auto Value = static_cast<std::size_t>(V);
        for (const bool Upper : {true, false}) {
            if (!(Upper ? Present.Upper : Present.Lower).test(Value)) {
                continue;
            }
            const char* Digits = Upper ? UpperDigits : LowerDigits;
            const char High = Digits[V >> 4];
            const char Low = Digits[V & 15];
            if (ReplaceEscape(Result, High, Low, static_cast<char>(V)) && CanFormEscape(V)) {
                Present = FindEscapes(Result);
            } else {
                // This pattern is gone; with digits only it was both case forms.
                (Upper ? Present.Upper : Present.Lower).reset(Value);
                if (High == LowerDigits[V >> 4] && Low == LowerDigits[V & 15]) {
                    Present.Lower.reset(Value);
                }
            }
        }
    }
    return Result;
}

std::string ByteToHex(std::uint8_t Value) {
    return {UpperDigits[Value >> 4], UpperDigits[Value & 15]};
}

TStrings SplitTextLines(const std::string& Text) {
    TStrings Lines;
    std::size_t Start = 0;
    while (Start < Text.size()) {
        auto End = Text.find_first_of("\r\n", Start);
        if (End == std::string::npos) {
            Lines.push_back(Text.substr(Start));
            break;
        }
        Lines.push_back(Text.substr(Start, End - Start));
        Start = End + 1;
        if (Text[End] == '\r' && Start < Text.size() && Text[Start] == '\n') {
            ++Start;
        }
    }
    return Lines;
}

} // namespace vx::decisions
