#pragma once

#include "platform/EventLog.h"
#include "platform/EventLogEntry.h"

#include <functional>
#include <memory>
#include <vector>

// Where the event log writes when no event sink is installed: the systemd journal where it
// runs, else syslog(3). Both name the running executable ("VXTray") as the identifier; the
// event source goes into a field of its own (the journal) or the line (syslog).
namespace vx::win {

// The journal's socket: where it is, the journal runs.
inline constexpr const char* JournalSocket = "/run/systemd/journal/socket";

// Writes `event` to the journal (a journal sink, else the journal's socket when it is there),
// and to syslog when there is no journal or the journal refused it. True once it was written;
// syslog cannot tell, so it counts as written.
bool WriteSystemLog(const TEventRecord& event);

// Where journal entries go instead of the journal's socket; returns whether the entry was
// written. While one is installed the journal counts as running. Empty: the socket.
using TJournalSink = std::function<bool(const TJournalFields&)>;
// Installs `sink` for the whole process and returns the previous one.
TJournalSink SetJournalSink(TJournalSink sink);

// Records the fields of every journal entry written while it lives, instead of sending them.
// Events reach it only when no event sink (TEventLogRecorder) takes them first.
class TJournalRecorder {
public:
    TJournalRecorder();
    ~TJournalRecorder();
    TJournalRecorder(const TJournalRecorder&) = delete;
    TJournalRecorder& operator=(const TJournalRecorder&) = delete;

    std::vector<TJournalFields> Entries() const;

private:
    struct TState;
    std::shared_ptr<TState> FState;
    TJournalSink FPrevious;
};

} // namespace vx::win
