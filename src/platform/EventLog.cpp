#include "platform/EventLog.h"

#include "platform/SystemLog.h"

#include <map>
#include <mutex>

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
    return sink ? sink(event) : WriteSystemLog(event);
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
