#include "decisions/MonitorPeer.h"

#include <charconv>

namespace vx::decisions {

namespace {

constexpr const char* const FieldDecisionID = "decisionid";
constexpr const char* const FieldDecision = "decision";
constexpr const char* const WordAllow = "allow";
constexpr const char* const WordDeny = "deny";
constexpr const char* const FieldEnabled = "enabled";

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

bool ParseUnsigned32(const std::string& text, std::uint32_t& value) {
    std::uint32_t parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return false;
    }
    value = parsed;
    return true;
}

// The key=value fields of `path`'s query when the path before "?" is `command`; false
// without a query or for another command.
bool QueryFields(const std::string& path, const char* command, TStrings& fields) {
    const auto question = path.find('?');
    if (question == std::string::npos || path.compare(0, question, command) != 0) {
        return false;
    }
    std::size_t start = question + 1;
    while (true) {
        const auto amp = path.find('&', start);
        fields.push_back(path.substr(start, amp - start));
        if (amp == std::string::npos) {
            return true;
        }
        start = amp + 1;
    }
}

} // namespace

std::string VerdictPath(std::uint32_t id, bool allow) {
    return std::string(VerdictCommand) + "?" + FieldDecisionID + "=" + std::to_string(id) + "&" +
           FieldDecision + "=" + (allow ? WordAllow : WordDeny);
}

bool IsRefusal(const std::string& reply) {
    return reply == VerdictRefusal;
}

bool ParseVerdictPath(const std::string& path, std::uint32_t& id, bool& allow) {
    TStrings fields;
    if (!QueryFields(path, VerdictCommand, fields)) {
        return false;
    }
    std::uint32_t parsedId = 0;
    if (!HasKey(fields, FieldDecisionID) ||
        !ParseUnsigned32(ValueOf(fields, FieldDecisionID), parsedId)) {
        return false;
    }
    const std::string word = ValueOf(fields, FieldDecision);
    if (word != WordAllow && word != WordDeny) {
        return false;
    }
    id = parsedId;
    allow = word == WordAllow;
    return true;
}

std::string LiveProtectionPath(bool enabled) {
    return std::string(LiveProtectionCommand) + "?" + FieldEnabled + "=" + (enabled ? "1" : "0");
}

bool ParseLiveProtectionPath(const std::string& path, bool& enabled) {
    TStrings fields;
    if (!QueryFields(path, LiveProtectionCommand, fields) || !HasKey(fields, FieldEnabled)) {
        return false;
    }
    const std::string value = ValueOf(fields, FieldEnabled);
    if (value != "0" && value != "1") {
        return false;
    }
    enabled = value == "1";
    return true;
}

std::string AddQuery(const TStrings& fields) {
    static const char hex[] = "0123456789ABCDEF";
    std::string query;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            query += '&';
        }
        const std::string& field = fields[i];
        const auto equals = field.find('=');
        query += field.substr(0, equals);
        if (equals == std::string::npos) {
            continue;
        }
        query += '=';
        for (unsigned char c : field.substr(equals + 1)) {
            if (IsUnreserved(c)) {
                query += static_cast<char>(c);
            } else {
                query += '%';
                query += hex[c >> 4];
                query += hex[c & 0x0F];
            }
        }
    }
    return query;
}

} // namespace vx::decisions
