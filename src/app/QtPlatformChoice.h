#pragma once

#include <string>

// Which of Qt's platforms start-up asks for. The program must keep serving decisions and the
// health checks when no display can be opened (an autostart that races the desktop, a stale
// remote session), so every choice ends with the offscreen platform, which Qt falls back to
// instead of aborting.
namespace vx::app {

// Qt's name of the platform without a display (QGuiApplication::platformName()).
inline constexpr const char* OffscreenPlatform = "offscreen";

struct TQtPlatformChoice {
    // For QT_QPA_PLATFORM: the platforms to try in order, separated by ';'.
    std::string Platforms;
    // Why offscreen is the only choice; empty when there is a display to try.
    std::string Notice;

    // Whether a display comes before offscreen.
    bool TriesDisplayFirst() const { return !Platforms.starts_with(OffscreenPlatform); }
};

// From the environment's QT_QPA_PLATFORM, WAYLAND_DISPLAY and DISPLAY (nullptr or empty when
// unset): the user's own choice, or Wayland natively, then X11 (XWayland too), then offscreen.
TQtPlatformChoice ChooseQtPlatforms(const char* qtPlatform, const char* waylandDisplay,
                                    const char* display);

// What to say when Qt had to fall back to offscreen although a display was named.
std::string OffscreenFallbackNotice(const char* waylandDisplay, const char* display);

} // namespace vx::app
