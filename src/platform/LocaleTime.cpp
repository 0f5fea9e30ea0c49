#include "platform/LocaleTime.h"

#include <clocale>
#include <langinfo.h>
#include <locale.h>

namespace vx::win {
namespace {

locale_t AsLocale(void* locale) {
    return static_cast<locale_t>(locale);
}

} // namespace

TLocaleTime::TLocaleTime(const std::string& localeName) {
    locale_t locale = newlocale(LC_TIME_MASK, localeName.c_str(), static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) {
        locale = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    }
    FLocale = locale;
    FDateFormat = nl_langinfo_l(D_FMT, locale);
    FTimeFormat = nl_langinfo_l(T_FMT, locale);
    if (FTimeFormat.empty()) {
        FTimeFormat = "%H:%M:%S";
    }

    // The separator is what the time format puts between the hour and the minute 24.
    std::tm probe{};
    probe.tm_hour = 13;
    probe.tm_min = 24;
    probe.tm_sec = 35;
    const std::string shown = Render(FTimeFormat.c_str(), probe);
    const auto minute = shown.find("24");
    std::string separator;
    if (minute != std::string::npos) {
        for (auto i = minute; i > 0 && (shown[i - 1] < '0' || shown[i - 1] > '9'); --i) {
            separator.insert(separator.begin(), shown[i - 1]);
        }
    }
    FTimeSeparator = separator.empty() ? ":" : separator;
}

TLocaleTime::~TLocaleTime() {
    freelocale(AsLocale(FLocale));
}

const TLocaleTime& TLocaleTime::User() {
    static const TLocaleTime user;
    return user;
}

std::string TLocaleTime::ShortDate(const std::tm& time) const {
    return Render(FDateFormat.c_str(), time);
}

std::string TLocaleTime::LongTime(const std::tm& time) const {
    return Render(FTimeFormat.c_str(), time);
}

std::string TLocaleTime::Render(const char* format, const std::tm& time) const {
    char buffer[256];
    const size_t n = strftime_l(buffer, sizeof buffer, format, &time, AsLocale(FLocale));
    return std::string(buffer, n);
}

std::tm LocalTime(std::time_t t) {
    std::tm result{};
    localtime_r(&t, &result);
    return result;
}

int TimeZoneBias(std::time_t t) {
    const std::tm local = LocalTime(t);
    return static_cast<int>(-local.tm_gmtoff / 60);
}

} // namespace vx::win
