#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The Windows event log, written to the systemd journal where it runs and to syslog(3)
// elsewhere (platform/SystemLog.h), under the executable's name with the event source in a
// field or the line; the priority follows the event type. A sink can take the place of both
// (tests record events with TEventLogRecorder, or the journal's fields with TJournalRecorder).
namespace vx::win {

// Event types of ReportEvent.
inline constexpr std::uint16_t EVENTLOG_SUCCESS = 0x0000;
inline constexpr std::uint16_t EVENTLOG_ERROR_TYPE = 0x0001;
inline constexpr std::uint16_t EVENTLOG_WARNING_TYPE = 0x0002;
inline constexpr std::uint16_t EVENTLOG_INFORMATION_TYPE = 0x0004;
inline constexpr std::uint16_t EVENTLOG_AUDIT_SUCCESS = 0x0008;
inline constexpr std::uint16_t EVENTLOG_AUDIT_FAILURE = 0x0010;

// One reported event.
struct TEventRecord {
    std::string Source;
    std::uint16_t Type = 0;
    std::uint16_t Category = 0;
    DWORD EventId = 0;
    std::vector<std::string> Strings; // the insertion strings, in order
};

// Where reported events go; returns whether the event was reported. Empty: the journal or
// syslog.
using TEventSink = std::function<bool(const TEventRecord&)>;
// Installs `sink` for the whole process and returns the previous one.
TEventSink SetEventSink(TEventSink sink);

// RegisterEventSourceA / ReportEventA / DeregisterEventSource. A handle is 0 on failure (an
// empty source name).
using HANDLE = std::uintptr_t;
HANDLE RegisterEventSource(const std::string& sourceName);
bool ReportEvent(HANDLE eventLog, std::uint16_t type, std::uint16_t category, DWORD eventId,
                 const std::vector<std::string>& strings);
bool DeregisterEventSource(HANDLE eventLog);

// Reports one event with identifier 100 from `sourceName`; true if it was reported.
bool WriteEventLog(std::uint16_t eventType, std::uint16_t category, const std::string& sourceName,
                   const std::vector<std::string>& strings);

// Registers an event source under
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\EventLog\<log>\<source>: the message
// file and the supported types, and the category file and count when `categoryCount` > 0.
// False only when the key cannot be opened or created (no administrator rights); once it is
// open the result is true, whatever the value writes do.
bool RegisterEventLogSource(const std::string& logName, const std::string& sourceName,
                            const std::string& messageFile, std::int32_t typesSupported,
                            std::int32_t categoryCount);

// Records every event reported while it lives, instead of sending it to the system's log.
class TEventLogRecorder {
public:
    TEventLogRecorder();
    ~TEventLogRecorder();
    TEventLogRecorder(const TEventLogRecorder&) = delete;
    TEventLogRecorder& operator=(const TEventLogRecorder&) = delete;

    std::vector<TEventRecord> Events() const;
    // Makes later reports fail (ReportEvent returns false), as a full or broken log would.
    void SetRefuse(bool refuse);

private:
    struct TState;
    std::shared_ptr<TState> FState;
    TEventSink FPrevious;
};

} // namespace vx::win
