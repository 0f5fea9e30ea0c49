#include "httpservice/HttpDate.h"

#include "platform/Format.h"
#include "platform/LocaleTime.h"

#include <cstdio>
#include <cstdlib>

namespace vx::httpservice {
namespace {

constexpr const char* DateFormat = "%s, %d %s %s %s";
constexpr const char* ZoneFormat = "%.2d%.2d";
constexpr const char* DayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

} // namespace

std::string TimeZoneOffset(int bias) {
    const int offset = -bias;
    const int minutes = std::abs(offset);
    std::string text(1, offset < 0 ? '-' : '+');
    text += Format(ZoneFormat, minutes / 60, minutes % 60);
    return text;
}

std::string TimeZoneOffset() {
    return TimeZoneOffset(win::TimeZoneBias(std::time(nullptr)));
}

std::string Rfc822DateTime(const std::tm& local, int bias) {
    char yearAndTime[32];
    std::snprintf(yearAndTime, sizeof yearAndTime, "%04d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_hour, local.tm_min, local.tm_sec);
    return Format(DateFormat, DayNames[((local.tm_wday % 7) + 7) % 7], local.tm_mday,
                  MonthNames[((local.tm_mon % 12) + 12) % 12], yearAndTime, TimeZoneOffset(bias));
}

std::string Rfc822DateTime() {
    const std::time_t now = std::time(nullptr);
    return Rfc822DateTime(win::LocalTime(now), win::TimeZoneBias(now));
}

} // namespace vx::httpservice
