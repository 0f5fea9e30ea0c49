#include "httpservice/ServiceLog.h"

#include "platform/EventLog.h"
#include "platform/LocaleTime.h"
#include "platform/Prefix.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace vx::httpservice {
namespace {

constexpr const char* EventSourceName = "kxNet";
constexpr std::uint16_t EventCategory = 2;
constexpr const char* SourceLabel = "Source: ";
constexpr const char* UriLabel = "URI: ";
constexpr const char* MessageLabel = "Message: ";
constexpr const char* LineEnd = "\r\n";
constexpr const char* RotatedSuffix = ".1";

// The event type a level is copied to the event log as, if any.
std::optional<std::uint16_t> EventType(char level) {
    switch (level) {
    case '!':
        return win::EVENTLOG_WARNING_TYPE;
    case '*':
    case '+':
        return win::EVENTLOG_SUCCESS;
    case '-':
        return win::EVENTLOG_ERROR_TYPE;
    case 'i':
        return win::EVENTLOG_INFORMATION_TYPE;
    default:
        return std::nullopt;
    }
}

std::tm LocalTm(std::chrono::system_clock::time_point time) {
    return win::LocalTime(std::chrono::system_clock::to_time_t(time));
}

std::string ErrnoText(const std::string& what) {
    char buffer[256];
    return what + ": " + strerror_r(errno, buffer, sizeof buffer); // the GNU form: thread-safe
}

} // namespace

std::mutex& LogLock() {
    static std::mutex lock;
    return lock;
}

TServiceLog::TServiceLog(TClock clock) : FClock(std::move(clock)) {
    if (!FClock) {
        FClock = [] { return std::chrono::system_clock::now(); };
    }
}

void TServiceLog::Log(char level, const std::string& source, const std::string& uri,
                      const std::string& message) {
    std::lock_guard lock(LogLock());
    if (level >= '1' && level <= '9' && level > LogLevelThreshold) {
        return;
    }
    if (FLogEntries.size() >= MaxLogEntries) {
        FLogEntries.pop_front();
    }
    const auto now = FClock();
    FLogEntries.push_back(TLogEntry{level, now, source, uri, message});

    const std::tm local = LocalTm(now);
    const auto& locale = win::TLocaleTime::User();
    // An entry whose file line could not be written is not copied to the event log either.
    if (AppendToFile(std::string(1, level) + " " + locale.ShortDate(local) + " " +
                     locale.LongTime(local) + " " + source + " " + uri + " " + message)) {
        CopyToEventLog(level, source, uri, message);
    }
}

void TServiceLog::AddLogLine(const std::string& text) {
    std::lock_guard lock(LogLock());
    const std::tm t = LocalTm(FClock());
    const char* sep = win::TLocaleTime::User().TimeSeparator().c_str();
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d%s%02d%s%02d] ", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, sep, t.tm_min, sep, t.tm_sec);
    if (FLogLines.size() >= MaxLogLines) {
        FLogLines.pop_front();
    }
    std::string line(stamp);
    line += text;
    FLogLines.push_back(std::move(line));
}

std::string TServiceLog::LineLogText() const {
    std::lock_guard lock(LogLock());
    std::string text;
    for (const auto& line : FLogLines) {
        text += line;
        text += LineEnd;
    }
    return text;
}

std::vector<TLogEntry> TServiceLog::Entries() const {
    std::lock_guard lock(LogLock());
    return {FLogEntries.begin(), FLogEntries.end()};
}

std::vector<std::string> TServiceLog::Lines() const {
    std::lock_guard lock(LogLock());
    return {FLogLines.begin(), FLogLines.end()};
}

std::string TServiceLog::LastFileError() const {
    std::lock_guard lock(LogLock());
    return FLastFileError;
}

bool TServiceLog::AppendToFile(const std::string& line) {
    namespace fs = std::filesystem;
    const fs::path prefix = win::CurrentPrefixDir();
    if (prefix.empty()) {
        return true;
    }
    const auto file = win::MapWindowsPath(prefix, LogFileName);
    std::error_code ec;
    if (!file || !fs::is_directory(file->parent_path(), ec)) {
        return true;
    }
    FLastFileError.clear();
    if (fs::exists(*file, ec)) {
        const auto size = fs::file_size(*file, ec);
        if (ec) {
            FLastFileError = file->string() + ": " + ec.message();
            return false;
        }
        if (size >= LogRotateSize) {
            fs::rename(*file, file->string() + RotatedSuffix, ec);
            if (ec) {
                FLastFileError = file->string() + ": " + ec.message();
                return false;
            }
        }
    }
    const int fd = ::open(file->c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        FLastFileError = ErrnoText(file->string());
        return false;
    }
    const std::string data = line + LineEnd;
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            FLastFileError = ErrnoText(file->string());
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0 && FLastFileError.empty()) {
        FLastFileError = ErrnoText(file->string());
    }
    return FLastFileError.empty();
}

void TServiceLog::CopyToEventLog(char level, const std::string& source, const std::string& uri,
                                 const std::string& message) {
    const auto type = EventType(level);
    if (!type) {
        return;
    }
    win::WriteEventLog(
        *type, EventCategory, EventSourceName,
        {SourceLabel + source + LineEnd + UriLabel + uri + LineEnd + MessageLabel + message});
}

} // namespace vx::httpservice
