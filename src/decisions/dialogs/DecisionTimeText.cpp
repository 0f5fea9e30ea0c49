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
void CivilFromDays(std::int64_t Days, std::int64_t& Year, unsigned& Month, unsigned& Day) {
    Days += 719468;
    const std::int64_t Era = (Days >= 0 ? Days : Days - 146096) / 146097;
    const auto DayOfEra = static_cast<unsigned>(Days - Era * 146097);
    const unsigned YearOfEra =
        (DayOfEra - DayOfEra / 1460 + DayOfEra / 36524 - DayOfEra / 146096) / 365;
    const unsigned DayOfYear = DayOfEra - (365 * YearOfEra + YearOfEra / 4 - YearOfEra / 100);
    const unsigned MonthIndex = (5 * DayOfYear + 2) / 153;
    Day = DayOfYear - (153 * MonthIndex + 2) / 5 + 1;
    Month = MonthIndex < 10 ? MonthIndex + 3 : MonthIndex - 9;
    Year = static_cast<std::int64_t>(YearOfEra) + Era * 400 + (Month <= 2 ? 1 : 0);
}

bool IsLeapYear(std::int64_t Year) {
    return (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
}

int DayOfYear(std::int64_t Year, unsigned Month, unsigned Day) {
    static constexpr int DaysBefore[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    return DaysBefore[Month - 1] + static_cast<int>(Day) - 1 +
           (Month > 2 && IsLeapYear(Year) ? 1 : 0);
}

} // namespace

std::string DecisionTimeText(double Timestamp, const win::TLocaleTime& Locale) {
    if (!std::isfinite(Timestamp) || Timestamp < FirstDay || Timestamp >= LastDay + 1.0) {
        throw EConvertError(Format(InvalidTimestamp, Timestamp));
    }
    auto Days = static_cast<std::int64_t>(std::floor(Timestamp));
    auto Milliseconds = static_cast<std::int64_t>(
        std::llround((Timestamp - static_cast<double>(Days)) * MillisecondsPerDay));
    if (Milliseconds >= MillisecondsPerDay) {
        ++Days;
        Milliseconds = 0;
    }
    const std::int64_t UnixDays = Days - UnixEpochDay;
    std::int64_t Year = 0;
    unsigned Month = 0;
    unsigned Day = 0;
    CivilFromDays(UnixDays, Year, Month, Day);

    std::tm Time{};
    Time.tm_year = static_cast<int>(Year - 1900);
    Time.tm_mon = static_cast<int>(Month) - 1;
    Time.tm_mday = static_cast<int>(Day);
    Time.tm_yday = DayOfYear(Year, Month, Day);
    Time.tm_wday = static_cast<int>(((UnixDays % 7) + 11) % 7); // 1 January 1970: Thursday
    const std::int64_t Seconds = Milliseconds / 1000;
    Time.tm_hour = static_cast<int>(Seconds / 3600);
    Time.tm_min = static_cast<int>(Seconds / 60 % 60);
    Time.tm_sec = static_cast<int>(Seconds % 60);
    Time.tm_isdst = -1;

    std::string Text = Locale.ShortDate(Time);
    if (Milliseconds != 0) {
        Text += ' ' + Locale.LongTime(Time);
    }
    return Text;
}

} // namespace vx::dialogs
