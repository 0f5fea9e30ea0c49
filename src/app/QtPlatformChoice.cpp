#include "app/QtPlatformChoice.h"

#include <sstream>

namespace vx::app {
namespace {

constexpr const char* Wayland = "wayland";
constexpr const char* Xcb = "xcb";
constexpr const char* NoDisplayNotice =
    "no display (neither DISPLAY nor WAYLAND_DISPLAY is set); running offscreen";

bool IsSet(const char* value) {
    return value != nullptr && *value != '\0';
}

// Whether one of the ';'-separated entries names the offscreen platform; an entry may carry
// arguments after a ':'.
bool ListsOffscreen(const std::string& platforms) {
    std::stringstream entries(platforms);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        if (entry.substr(0, entry.find(':')) == OffscreenPlatform) {
            return true;
        }
    }
    return false;
}

} // namespace

TQtPlatformChoice ChooseQtPlatforms(const char* qtPlatform, const char* waylandDisplay,
                                    const char* display) {
    if (IsSet(qtPlatform)) {
        std::string platforms = qtPlatform;
        if (!ListsOffscreen(platforms)) {
            platforms += std::string(";") + OffscreenPlatform;
        }
        return {platforms, {}};
    }
    std::string platforms;
    if (IsSet(waylandDisplay)) {
        platforms += std::string(Wayland) + ";";
    }
    if (IsSet(display)) {
        platforms += std::string(Xcb) + ";";
    }
    if (platforms.empty()) {
        return {OffscreenPlatform, NoDisplayNotice};
    }
    return {platforms + OffscreenPlatform, {}};
}

std::string OffscreenFallbackNotice(const char* waylandDisplay, const char* display) {
    std::string named;
    if (IsSet(waylandDisplay)) {
        named += std::string("WAYLAND_DISPLAY=") + waylandDisplay;
    }
    if (IsSet(display)) {
        named += std::string(named.empty() ? "" : ", ") + "DISPLAY=" + display;
    }
    return "the display cannot be opened" + (named.empty() ? std::string() : " (" + named + ")") +
           "; running offscreen: the decision service and the health checks go on";
}

} // namespace vx::app
