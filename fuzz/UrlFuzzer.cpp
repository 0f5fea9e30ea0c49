// fuzz_url: a request target of the decision service without its leading "/". The command and
// its fields, the decoding and the add path (the fields decoded, split into key=value lines and
// made a decision) are compared with plain readings of their rules written here, each the
// slow and obvious way.

#include "decisions/Decision.h"
#include "decisions/DecisionList.h"
#include "decisions/DecisionTypes.h"
#include "decisions/KeyValueLines.h"
#include "decisions/URLCommand.h"
#include "fuzz/Check.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace vx::fuzz {
namespace {

using decisions::TStrings;

constexpr std::int32_t DefaultThreatLevel = 5;
constexpr std::size_t KeyValueLineCount = 12;

// Decoding: for each byte value from 10 to 255, first every "%" with its two upper-case
// digits, then every "%" with its two lower-case digits becomes that byte, each pass a
// replacement from the left whose output is not looked at again within the pass.
std::string ReferenceDecode(const std::string& text) {
    static constexpr char upper[] = "0123456789ABCDEF";
    static constexpr char lower[] = "0123456789abcdef";
    std::string current = text;
    for (int value = 10; value <= 255; ++value) {
        for (const char* digits : {upper, lower}) {
            const char high = digits[value / 16];
            const char low = digits[value % 16];
            // Only to keep the run fast: a pass without its pattern changes nothing.
            if (current.find(std::string{'%', high, low}) == std::string::npos) {
                continue;
            }
            std::string next;
            std::size_t i = 0;
            while (i < current.size()) {
                if (i + 2 < current.size() && current[i] == '%' && current[i + 1] == high &&
                    current[i + 2] == low) {
                    next += static_cast<char>(value);
                    i += 3;
                } else {
                    next += current[i];
                    ++i;
                }
            }
            current = next;
        }
    }
    return current;
}

// The command and fields of a target: whatever split gave them must join back to it, the
// command holding no "?" and no field an "&".
void CheckSplit(const std::string& text, const std::string& command, const TStrings& params) {
    const auto query = text.find('?');
    if (query == std::string::npos) {
        if (command != text || !params.empty()) {
            Fail("a target without '?' is not all command");
        }
        return;
    }
    if (command != text.substr(0, query)) {
        Fail("the command is not the text before the first '?'");
    }
    std::string joined;
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (params[i].find('&') != std::string::npos) {
            Fail("a field holds an '&'");
        }
        joined += (i == 0 ? "" : "&") + params[i];
    }
    if (joined != text.substr(query + 1)) {
        Fail("the fields do not join back to the query");
    }
    if (params.empty() != (query + 1 == text.size())) {
        Fail("fields without a query, or a query without fields");
    }
}

// Lines end at CR LF, CR or LF; a final line break adds no empty line.
TStrings ReferenceLines(const std::string& text) {
    TStrings lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += text[i];
            open = true;
        }
    }
    if (open) {
        lines.push_back(line);
    }
    return lines;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameAsciiText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

// The value of the first line whose name (the text before its first "=") is `name` without
// regard to ASCII case; `found` tells whether there is one.
std::string ReferenceValue(const TStrings& lines, std::string_view name, bool& found) {
    for (const auto& line : lines) {
        const auto equals = line.find('=');
        if (equals != std::string::npos && SameAsciiText(line.substr(0, equals), name)) {
            found = true;
            return line.substr(equals + 1);
        }
    }
    found = false;
    return {};
}

std::string ReferenceValue(const TStrings& lines, std::string_view name) {
    bool found = false;
    return ReferenceValue(lines, name, found);
}

// A signed 32-bit decimal with an optional sign, nothing else; otherwise the default.
std::int32_t ReferenceThreatLevel(const std::string& text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        i = 1;
    }
    if (i == text.size()) {
        return DefaultThreatLevel;
    }
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return DefaultThreatLevel;
        }
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > std::int64_t{1} << 31) {
            return DefaultThreatLevel;
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return DefaultThreatLevel;
    }
    return static_cast<std::int32_t>(value);
}

// The position of `text` among `words` compared exactly, or `fallback`.
template <class TWords>
std::size_t ReferenceWord(const TWords& words, const std::string& text, std::size_t fallback) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (text == words[i]) {
            return i;
        }
    }
    return fallback;
}

void CheckDecision(const decisions::TDecision& decision, const TStrings& lines) {
    const struct {
        const char* Key;
        const std::string& Field;
    } texts[] = {
        {"module", decision.Module},     {"information", decision.Information},
        {"item", decision.Item},         {"identifiedas", decision.IdentifiedAs},
        {"category", decision.Category}, {"olddata", decision.OldData},
        {"newdata", decision.NewData},
    };
    for (const auto& text : texts) {
        if (text.Field != ReferenceValue(lines, text.Key)) {
            Fail(std::string("the decision's ") + text.Key + " is not the first such line's value");
        }
    }
    if (decision.ThreatLevel != ReferenceThreatLevel(ReferenceValue(lines, "threatlevel"))) {
        Fail("the decision's threat level");
    }
    if (static_cast<std::size_t>(decision.DecisionType) !=
        ReferenceWord(decisions::DecisionTypeKeys, ReferenceValue(lines, "decisiontype"),
                      decisions::dtInformation)) {
        Fail("the decision's type");
    }
    if (static_cast<std::size_t>(decision.LogClass) !=
        ReferenceWord(decisions::LogClassKeys, ReferenceValue(lines, "logclass"),
                      decisions::mlcCustom)) {
        Fail("the decision's log class");
    }
    TStrings keyValues;
    decision.GetKeyValueLines(keyValues);
    if (keyValues.size() != KeyValueLineCount ||
        keyValues.front() != "id=" + std::to_string(decision.DecisionID) ||
        keyValues.back() != "index=0") {
        Fail("the key=value lines of the new decision");
    }
    TStrings display;
    decision.GetDisplayLines(display);
}

} // namespace
} // namespace vx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx::fuzz;
    using namespace vx::decisions;
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::string command;
    TStrings params;
    SplitURLCommand(text, command, params);
    CheckSplit(text, command, params);

    if (URLDecode(text) != ReferenceDecode(text)) {
        Fail("URLDecode differs from the rule");
    }

    // The add path of the decision service.
    const TStrings lines = SplitTextLines(URLDecode(LinesAsText(params)));
    std::string joined;
    for (const auto& param : params) {
        joined += param + "\r\n";
    }
    if (lines != ReferenceLines(ReferenceDecode(joined))) {
        Fail("the decoded fields split into other lines than the rule gives");
    }
    bool hasModule = false;
    bool hasInformation = false;
    ReferenceValue(lines, "module", hasModule);
    ReferenceValue(lines, "information", hasInformation);
    if (TDecision::HasRequiredKeys(lines) != (hasModule && hasInformation)) {
        Fail("HasRequiredKeys differs from looking for module= and information=");
    }
    if (!hasModule || !hasInformation) {
        return 0;
    }
    TDecisionList decisions;
    const auto decision = decisions.Add(lines);
    if (decision == nullptr) {
        return 0; // the list's limits refused it
    }
    CheckDecision(*decision, lines);
    TStrings report;
    decisions.GetStatusLines(report);
    decisions.GetListLines(report);
    return 0;
}
