#pragma once

#include <ctime>
#include <string>

namespace vx::win {

// Local time and the locale's date and time formats: the stand-ins for the Windows locale's
// short-date and long-time formats (LC_TIME of the user's locale) and for
// GetTimeZoneInformation (localtime_r).
class TLocaleTime {
public:
    // `localeName` as for newlocale(3); "" takes the user's environment (LC_ALL, LC_TIME,
    // LANG). A locale that is not installed falls back to "C".
    explicit TLocaleTime(const std::string& localeName = "");
    ~TLocaleTime();
    TLocaleTime(const TLocaleTime&) = delete;
    TLocaleTime& operator=(const TLocaleTime&) = delete;

    // The process-wide instance for the user's locale.
    static const TLocaleTime& User();

    // The date in the locale's date format (D_FMT), the time in its time format (T_FMT).
    std::string ShortDate(const std::tm& time) const;
    std::string LongTime(const std::tm& time) const;
    // The text between hours and minutes in the locale's time format (":" in most locales).
    const std::string& TimeSeparator() const { return FTimeSeparator; }

private:
    std::string Render(const char* format, const std::tm& time) const;

    void* FLocale; // locale_t, kept out of the header
    std::string FDateFormat;
    std::string FTimeFormat;
    std::string FTimeSeparator;
};

// localtime_r of `t`.
std::tm LocalTime(std::time_t t);

// The time-zone bias at `t` as GetTimeZoneInformation gives it with the bias of the current
// standard or daylight period added: minutes west of UTC (UTC+01:00 gives -60).
int TimeZoneBias(std::time_t t);

} // namespace vx::win
