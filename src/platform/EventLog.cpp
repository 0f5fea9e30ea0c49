#include "platform/EventLog.h"

#include <map>
#include <mutex>
#include <syslog.h>

namespace vx::win {
namespace {

constexpr DWORD EventId = 100;

struct TSources {
    std::mutex Lock;
    TEventSink Sink;
    std::map<HANDLE, std::string> Open;
    HANDLE Next = 1;
};

TSources& Sources() {
    static TSources sources;
    return sources;
}

int SyslogPriority(std::uint16_t type) {
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

// One syslog line: the category and identifier, then the insertion strings; line breaks
// inside a string become blanks so that an event stays one line.
std::string SyslogText(const TEventRecord& event) {
    std::string text = "[category " + std::to_string(event.Category) + ", event " +
                       std::to_string(event.EventId) + "]";
    for (const auto& s : event.Strings) {
        text += ' ';
        for (size_t i = 0; i < s.size(); ++i) {
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
                continue;
            }
            text += (s[i] == '\r' || s[i] == '\n') ? ' ' : s[i];
        }
    }
    return text;
}

bool WriteSyslog(const TEventRecord& event) {
    // openlog keeps the ident pointer: the lock keeps `event` alive until closelog.
    static std::mutex syslogLock;
    std::lock_guard lock(syslogLock);
    openlog(event.Source.c_str(), LOG_PID, LOG_USER);
    syslog(SyslogPriority(event.Type), "%s", SyslogText(event).c_str());
    closelog();
    return true;
}

} // namespace

TEventSink SetEventSink(TEventSink sink) {
    TSources& s = Sources();
    std::lock_guard lock(s.Lock);
    std::swap(s.Sink, sink);
    return sink;
}

HANDLE RegisterEventSource(const std::string& sourceName) {
    if (sourceName.empty()) {
        return 0;
    }
    TSources& s = Sources();
    std::lock_guard lock(s.Lock);
    const HANDLE handle = s.Next++;
    s.Open[handle] = sourceName;
    return handle;
}

bool ReportEvent(HANDLE eventLog, std::uint16_t type, std::uint16_t category, DWORD eventId,
                 const std::vector<std::string>& strings) {
    TSources& s = Sources();
    TEventRecord event{{}, type, category, eventId, strings};
    TEventSink sink;
    {
        std::lock_guard lock(s.Lock);
        const auto open = s.Open.find(eventLog);
        if (open == s.Open.end()) {
            return false;
        }
        event.Source = open->second;
        sink = s.Sink;
    }
    return sink ? sink(event) : WriteSyslog(event);
}

bool DeregisterEventSource(HANDLE eventLog) {
    TSources& s = Sources();
    std::lock_guard lock(s.Lock);
    return s.Open.erase(eventLog) == 1;
}

bool WriteEventLog(std::uint16_t eventType, std::uint16_t category, const std::string& sourceName,
                   const std::vector<std::string>& strings) {
    const HANDLE handle = RegisterEventSource(sourceName);
    if (handle == 0) {
        return false;
    }
    const bool reported = ReportEvent(handle, eventType, category, EventId, strings);
    DeregisterEventSource(handle);
    return reported;
}

struct TEventLogRecorder::TState {
    std::mutex Lock;
    std::vector<TEventRecord> Events;
    bool Refuse = false;
};

TEventLogRecorder::TEventLogRecorder() : FState(std::make_shared<TState>()) {
    FPrevious = SetEventSink([state = FState](const TEventRecord& event) {
        std::lock_guard lock(state->Lock);
        if (state->Refuse) {
            return false;
        }
        state->Events.push_back(event);
        return true;
    });
}

TEventLogRecorder::~TEventLogRecorder() {
    SetEventSink(std::move(FPrevious));
}

std::vector<TEventRecord> TEventLogRecorder::Events() const {
    std::lock_guard lock(FState->Lock);
    return FState->Events;
}

void TEventLogRecorder::SetRefuse(bool refuse) {
    std::lock_guard lock(FState->Lock);
    FState->Refuse = refuse;
}

} // namespace vx::win
