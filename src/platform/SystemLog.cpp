#include "platform/SystemLog.h"

#include "platform/Files.h"

#include <mutex>
#include <string>
#include <sys/uio.h>
#include <syslog.h>
#include <systemd/sd-journal.h>
#include <unistd.h>

namespace vx::win {
namespace {

constexpr char FieldNameEnd = '=';

struct TJournalSinks {
    std::mutex Lock;
    TJournalSink Sink;
};

TJournalSinks& JournalSinks() {
    static TJournalSinks sinks;
    return sinks;
}

// The executable's name, read once: syslog keeps the pointer to its ident.
const std::string& Identifier() {
    static const std::string identifier = ExecutableFileName();
    return identifier;
}

bool SendToJournal(const TJournalFields& fields) {
    // Each field goes as "NAME=value" of its own; sd_journal_sendv passes values with line
    // breaks or other bytes whole.
    std::vector<std::string> items;
    items.reserve(fields.size());
    for (const auto& field : fields) {
        items.push_back(field.Name + FieldNameEnd + field.Value);
    }
    std::vector<iovec> vector;
    vector.reserve(items.size());
    for (auto& item : items) {
        vector.push_back({item.data(), item.size()});
    }
    return sd_journal_sendv(vector.data(), static_cast<int>(vector.size())) >= 0;
}

bool WriteSyslog(const TEventRecord& event) {
    static std::mutex syslogLock;
    std::lock_guard lock(syslogLock);
    const std::string& identifier = Identifier();
    // An empty ident would name no one: syslog's own default (the program's name) then.
    openlog(identifier.empty() ? nullptr : identifier.c_str(), LOG_PID, LOG_USER);
    syslog(EventPriority(event.Type), "%s", SyslogLine(event).c_str());
    closelog();
    return true;
}

} // namespace

bool WriteSystemLog(const TEventRecord& event) {
    TJournalSink sink;
    {
        TJournalSinks& sinks = JournalSinks();
        std::lock_guard lock(sinks.Lock);
        sink = sinks.Sink;
    }
    if (sink || access(JournalSocket, F_OK) == 0) {
        const TJournalFields fields = JournalFields(event, Identifier());
        if (sink ? sink(fields) : SendToJournal(fields)) {
            return true;
        }
    }
    return WriteSyslog(event);
}

TJournalSink SetJournalSink(TJournalSink sink) {
    TJournalSinks& sinks = JournalSinks();
    std::lock_guard lock(sinks.Lock);
    std::swap(sinks.Sink, sink);
    return sink;
}

struct TJournalRecorder::TState {
    std::mutex Lock;
    std::vector<TJournalFields> Entries;
};

TJournalRecorder::TJournalRecorder() : FState(std::make_shared<TState>()) {
    FPrevious = SetJournalSink([state = FState](const TJournalFields& fields) {
        std::lock_guard lock(state->Lock);
        state->Entries.push_back(fields);
        return true;
    });
}

TJournalRecorder::~TJournalRecorder() {
    SetJournalSink(std::move(FPrevious));
}

std::vector<TJournalFields> TJournalRecorder::Entries() const {
    std::lock_guard lock(FState->Lock);
    return FState->Entries;
}

} // namespace vx::win
