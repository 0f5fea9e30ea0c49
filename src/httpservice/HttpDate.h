#pragma once

#include <ctime>
#include <string>

// The date text of response headers.
namespace vx::httpservice {

// "+hhmm" or "-hhmm" for a time-zone bias in minutes west of UTC (the offset is -bias).
std::string TimeZoneOffset(int bias);
// The offset of the local time zone now.
std::string TimeZoneOffset();

// "Sat, 9 Jan 2010 14:03:27 +0100": English day and month names whatever the locale, the day
// without a leading zero, the 24-hour time with colons, then the zone text.
std::string Rfc822DateTime(const std::tm& local, int bias);
// The current local time.
std::string Rfc822DateTime();

} // namespace vx::httpservice
