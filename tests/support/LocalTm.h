#pragma once

#include <ctime>

namespace vx::test {

// A local calendar time with its day of the week filled in (daylight saving left to the
// system).
inline std::tm LocalTm(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    std::tm normalised = t;
    std::mktime(&normalised);
    return normalised;
}

} // namespace vx::test
