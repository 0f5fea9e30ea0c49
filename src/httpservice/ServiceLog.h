#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// The service log of a daemon, with two faces: the leveled log (Log), kept in memory, appended
// to the log file and copied to the event log by level; and the line log (AddLogLine) that
// "/log" returns. A daemon and its request threads share one TServiceLog (std::shared_ptr),
// so a request thread that outlives its daemon still logs safely.
namespace vx::httpservice {

inline constexpr std::size_t MaxLogEntries = 300;
// The line log keeps the newest lines only: handler failures that remote requests can cause
// must not grow memory without bound.
inline constexpr std::size_t MaxLogLines = 1000;
inline constexpr char LogLevelThreshold = '9';
// On the prefix's drive C: (platform/Prefix.h); skipped while no prefix is set or the folder
// is missing.
inline constexpr const char* LogFileName = "C:\\VXUpdate.log";
// Once the file has reached this size it is moved to LogFileName + ".1" (replacing an older
// one) and a new file begins.
inline constexpr std::uintmax_t LogRotateSize = std::uintmax_t{16} * 1024 * 1024;

// One leveled entry.
struct TLogEntry {
    char Level = 0;
    std::chrono::system_clock::time_point Time;
    std::string Source;
    std::string URI;
    std::string Message;
};

// The callbacks through which request threads reach their daemon's log.
using TLogEvent = std::function<void(char level, const std::string& source, const std::string& uri,
                                     const std::string& message)>;
using TLogLineEvent = std::function<void(const std::string& text)>;

// Serialises every leveled entry, line-log append and line-log read of all daemons, and with
// them the file appends and event-log writes. Nothing else is locked while it is held.
std::mutex& LogLock();

class TServiceLog {
public:
    using TClock = std::function<std::chrono::system_clock::time_point()>;

    // `clock` gives the entries' time (default: the system clock).
    explicit TServiceLog(TClock clock = {});

    // Records an entry: levels "1" to "9" above LogLevelThreshold are dropped; the newest
    // MaxLogEntries stay in memory; a line goes to the log file; levels "!", "*", "+", "-"
    // and "i" are copied to the event log (source "kxNet", category 2). A log-file failure
    // never reaches the caller: the entry stays in memory, is not copied to the event log,
    // and LastFileError() tells why.
    void Log(char level, const std::string& source, const std::string& uri,
             const std::string& message);
    // Appends "[yyyy-mm-dd hh:nn:ss] text" (the locale's time separator) to the line log.
    void AddLogLine(const std::string& text);

    // The line log, each line followed by CR LF.
    std::string LineLogText() const;
    std::vector<TLogEntry> Entries() const;
    std::vector<std::string> Lines() const;
    // Why the last log-file write failed; empty after a write that worked.
    std::string LastFileError() const;

private:
    // False when the line could not be written; true when it was, or when there is no
    // folder to write it to.
    bool AppendToFile(const std::string& line);
    void CopyToEventLog(char level, const std::string& source, const std::string& uri,
                        const std::string& message);

    TClock FClock;
    // Guarded by LogLock().
    std::deque<TLogEntry> FLogEntries;
    std::deque<std::string> FLogLines;
    std::string FLastFileError;
};

} // namespace vx::httpservice
