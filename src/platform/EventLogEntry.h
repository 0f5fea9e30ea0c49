#pragma once

#include "platform/EventLog.h"

#include <string>
#include <vector>

// What one reported event becomes in the system's logs: the fields of a journal entry, or one
// syslog line. Pure: nothing here writes anywhere (SystemLog.h sends them).
namespace vx::win {

// One field of a journal entry. The name is a valid journal field name (upper-case letters,
// digits and "_", not beginning with "_" or a digit); the value is any bytes, line breaks
// and "=" included.
struct TJournalField {
    std::string Name;
    std::string Value;

    bool operator==(const TJournalField&) const = default;
};
using TJournalFields = std::vector<TJournalField>;

// The names of the fields JournalFields gives, besides the journal's own MESSAGE, PRIORITY and
// SYSLOG_IDENTIFIER. The insertion strings are EventStringField + their position from 1
// ("VX_EVENT_STRING_1"): the journal keeps neither the order nor the repeats of one name.
inline constexpr const char* EventSourceField = "VX_EVENT_SOURCE";
inline constexpr const char* EventTypeField = "VX_EVENT_TYPE";
inline constexpr const char* EventCategoryField = "VX_EVENT_CATEGORY";
inline constexpr const char* EventIdField = "VX_EVENT_ID";
inline constexpr const char* EventStringField = "VX_EVENT_STRING_";

// The syslog priority (LOG_ERR ... LOG_INFO) of an event type.
int EventPriority(std::uint16_t type);
// "error", "warning", "information", "success", "audit-success", "audit-failure"; a type that
// is none of these as its decimal number.
std::string EventTypeWord(std::uint16_t type);

// The event's text on one line: the insertion strings joined by blanks, without their
// trailing line breaks, each inner one (CR LF, CR or LF) a blank.
std::string EventText(const TEventRecord& event);

// The journal entry of `event`, in this order: MESSAGE ("<source>: <text>", one line; "event
// <id>" stands for an empty text), PRIORITY, SYSLOG_IDENTIFIER (`identifier`; left out when
// empty), the source, the type word, the category, the identifier, then each insertion string
// as it is.
TJournalFields JournalFields(const TEventRecord& event, const std::string& identifier);

// The syslog line of `event`: "<source>: [category C, event N] <text>".
std::string SyslogLine(const TEventRecord& event);

} // namespace vx::win
