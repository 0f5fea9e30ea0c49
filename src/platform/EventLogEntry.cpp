#include "platform/EventLogEntry.h"

#include "platform/TextCodec.h"

#include <syslog.h>

namespace vx::win {
namespace {

constexpr const char* MessageField = "MESSAGE";
constexpr const char* PriorityField = "PRIORITY";
constexpr const char* IdentifierField = "SYSLOG_IDENTIFIER";
constexpr const char* SourceEnd = ": ";
constexpr const char* EmptyTextStart = "event ";
constexpr const char* SyslogCategoryStart = "[category ";
constexpr const char* SyslogEventStart = ", event ";
constexpr const char* SyslogEventEnd = "]";

} // namespace

int EventPriority(std::uint16_t type) {
    switch (type) {
    case EVENTLOG_ERROR_TYPE:
    case EVENTLOG_AUDIT_FAILURE:
        return LOG_ERR;
    case EVENTLOG_WARNING_TYPE:
        return LOG_WARNING;
    case EVENTLOG_INFORMATION_TYPE:
        return LOG_INFO;
    default:
        return LOG_NOTICE;
    }
}

std::string EventTypeWord(std::uint16_t type) {
    switch (type) {
    case EVENTLOG_SUCCESS:
        return "success";
    case EVENTLOG_ERROR_TYPE:
        return "error";
    case EVENTLOG_WARNING_TYPE:
        return "warning";
    case EVENTLOG_INFORMATION_TYPE:
        return "information";
    case EVENTLOG_AUDIT_SUCCESS:
        return "audit-success";
    case EVENTLOG_AUDIT_FAILURE:
        return "audit-failure";
    default:
        return std::to_string(type);
    }
}

std::string EventText(const TEventRecord& event) {
    std::string text;
    for (const auto& string : event.Strings) {
        if (&string != &event.Strings.front()) {
            text += ' ';
        }
        text += OneLine(string);
    }
    return text;
}

TJournalFields JournalFields(const TEventRecord& event, const std::string& identifier) {
    std::string text = EventText(event);
    if (text.empty()) {
        text = EmptyTextStart + std::to_string(event.EventId);
    }
    TJournalFields fields{
        {MessageField, event.Source + SourceEnd + text},
        {PriorityField, std::to_string(EventPriority(event.Type))},
    };
    if (!identifier.empty()) {
        fields.push_back({IdentifierField, identifier});
    }
    fields.push_back({EventSourceField, event.Source});
    fields.push_back({EventTypeField, EventTypeWord(event.Type)});
    fields.push_back({EventCategoryField, std::to_string(event.Category)});
    fields.push_back({EventIdField, std::to_string(event.EventId)});
    for (std::size_t i = 0; i < event.Strings.size(); ++i) {
        fields.push_back({EventStringField + std::to_string(i + 1), event.Strings[i]});
    }
    return fields;
}

std::string SyslogLine(const TEventRecord& event) {
    std::string line = event.Source + SourceEnd + SyslogCategoryStart +
                       std::to_string(event.Category) + SyslogEventStart +
                       std::to_string(event.EventId) + SyslogEventEnd;
    const std::string text = EventText(event);
    if (!text.empty()) {
        line += ' ' + text;
    }
    return line;
}

} // namespace vx::win
