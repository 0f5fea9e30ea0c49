#include "decisions/MonitorPeer.h"

#include <charconv>

namespace vx::decisions {

namespace {

constexpr const char* const FieldDecisionID = "decisionid";
constexpr const char* const FieldDecision = "decision";
constexpr const char* const WordAllow = "allow";
constexpr const char* const WordDeny = "deny";

bool IsUnreserved(unsigned char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '-' ||
           C == '.' || C == '_' || C == '~';
}

bool ParseUnsigned32(const std::string& Text, std::uint32_t& Value) {
    std::uint32_t Parsed = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Parsed);
    if (Text.empty() || Error != std::errc() || End != Text.data() + Text.size()) {
        return false;
    }
    Value = Parsed;
    return true;
}

} // namespace

std::string VerdictPath(std::uint32_t ID, bool Allow) {
    return std::string(VerdictCommand) + "?" + FieldDecisionID + "=" + std::to_string(ID) + "&" +
           FieldDecision + "=" + (Allow ? WordAllow : WordDeny);
}

bool IsRefusal(const std::string& Reply) {
    return Reply == VerdictRefusal;
}

bool ParseVerdictPath(const std::string& Path, std::uint32_t& ID, bool& Allow) {
    const auto Question = Path.find('?');
    if (Path.substr(0, Question) != VerdictCommand || Question == std::string::npos) {
        return false;
    }
    TStrings Fields;
    std::size_t Start = Question + 1;
    while (true) {
        const auto Amp = Path.find('&', Start);
        Fields.push_back(Path.substr(Start, Amp - Start));
        if (Amp == std::string::npos) {
            break;
        }
        Start = Amp + 1;
    }
    std::uint32_t ParsedID = 0;
    if (!HasKey(Fields, FieldDecisionID) ||
        !ParseUnsigned32(ValueOf(Fields, FieldDecisionID), ParsedID)) {
        return false;
    }
    const std::string Word = ValueOf(Fields, FieldDecision);
    if (Word != WordAllow && Word != WordDeny) {
        return false;
    }
    ID = ParsedID;
    Allow = Word == WordAllow;
    return true;
}

std::string AddQuery(const TStrings& Fields) {
    static const char Hex[] = "0123456789ABCDEF";
    std::string Query;
    for (std::size_t I = 0; I < Fields.size(); ++I) {
        if (I > 0) {
            Query += '&';
        }
        const std::string& Field = Fields[I];
        const auto Equals = Field.find('=');
        Query += Field.substr(0, Equals);
        if (Equals == std::string::npos) {
            continue;
        }
        Query += '=';
        for (unsigned char C : Field.substr(Equals + 1)) {
            if (IsUnreserved(C)) {
                Query += static_cast<char>(C);
            } else {
                Query += '%';
                Query += Hex[C >> 4];
                Query += Hex[C & 0x0F];
            }
        }
    }
    return Query;
}

} // namespace vx::decisions
