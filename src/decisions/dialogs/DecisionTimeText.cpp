#include "decisions/dialogs/DecisionTimeText.h"

#include "platform/Format.h"

#include <cmath>
#include <cstdint>
#include <ctime>

namespace vx::dialogs {
namespace {

constexpr const char* InvalidTimestamp = "Invalid date-time value: %g";
constexpr double FirstDay = -693593.0;       // 1 January 0001
constexpr double LastDay = 2958465.0;        // 31 December 9999
constexpr std::int64_t UnixEpochDay = 25569; // 1 January 1970
constexpr std::int64_t MillisecondsPerDay = 86400000;

// Year, month and day of a day count since 1 January 1970 (proleptic Gregorian calendar).
void CivilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    year = static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
}

bool IsLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DayOfYear(std::int64_t year, unsigned month, unsigned day) {
    static constexpr int daysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    return daysBefore[month - 1] + static_cast<int>(day) - 1 +
           (month > 2 && IsLeapYear(year) ? 1 : 0);
}

} // namespace

std::string DecisionTimeText(double timestamp, const win::TLocaleTime& locale) {
    if (!std::isfinite(timestamp) || timestamp < FirstDay || timestamp >= LastDay + 1.0) {
        throw EConvertError(Format(InvalidTimestamp, timestamp));
    }
    auto days = static_cast<std::int64_t>(std::floor(timestamp));
    auto milliseconds = static_cast<std::int64_t>(
        std::llround((timestamp - static_cast<double>(days)) * MillisecondsPerDay));
    if (milliseconds >= MillisecondsPerDay) {
        ++days;
        milliseconds = 0;
    }
    const std::int64_t unixDays = days - UnixEpochDay;
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(unixDays, year, month, day);

    std::tm time{};
    time.tm_year = static_cast<int>(year - 1900);
    time.tm_mon = static_cast<int>(month) - 1;
    time.tm_mday = static_cast<int>(day);
    time.tm_yday = DayOfYear(year, month, day);
    time.tm_wday = static_cast<int>(((unixDays % 7) + 11) % 7); // 1 January 1970: Thursday
    const std::int64_t seconds = milliseconds / 1000;
    time.tm_hour = static_cast<int>(seconds / 3600);
    time.tm_min = static_cast<int>(seconds / 60 % 60);
    time.tm_sec = static_cast<int>(seconds % 60);
    time.tm_isdst = -1;

    std::string text = locale.ShortDate(time);
    if (milliseconds != 0) {
        text += ' ' + locale.LongTime(time);
    }
    return text;
}

} // namespace vx::dialogs
