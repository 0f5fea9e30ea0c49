#pragma once

#include "support/ChildProcess.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vx::test {

// A desktop of its own for the tests of real windows: a private X server (Xvfb) on a free
// display, a window manager (openbox) and an XEmbed system tray (trayer), started once per
// test executable and ended with it. Input goes in as a user's would, through the X server
// (xdotool). Without Xvfb, openbox, trayer or xdotool installed it does not start, and
// Why() says what is missing, for the tests to skip with.
class TX11Session {
public:
    TX11Session() = default;
    ~TX11Session();
    TX11Session(const TX11Session&) = delete;
    TX11Session& operator=(const TX11Session&) = delete;

    // Starts the server, the window manager and the tray; false (and Why()) when it cannot.
    bool Start();
    bool Available() const { return FServer != nullptr; }
    const std::string& Why() const { return FWhy; }
    // ":N"
    const std::string& Display() const { return FDisplay; }

    // Runs xdotool with `args` on this display; its output without the final line break, or
    // nullopt when it fails.
    std::optional<std::string> XdoTool(const std::vector<std::string>& args) const;
    // The X window that has the keyboard.
    unsigned long ActiveWindow() const;
    // Makes `window` the active window, as a click on its title bar would, and waits for it.
    bool Activate(unsigned long window) const;
    // Presses keys on the active window ("Tab", "space", "alt+a", ...).
    bool Keys(const std::vector<std::string>& keys) const;
    // Moves the pointer to the screen position and clicks a button there (1 left, 3 right) as
    // often as `clicks` says, a double click for two.
    bool ClickAt(int x, int y, int button = 1, int clicks = 1) const;

    // Ends the XEmbed tray, as on a desktop without a notification area, and starts it again;
    // StartTray is true once the tray is there.
    void StopTray();
    bool StartTray();

    // The one session of this executable.
    static TX11Session& Shared();

private:
    std::optional<std::pair<int, std::string>> RunTool(const std::string& name,
                                                       const std::vector<std::string>& args) const;
    // Runs the tool until it succeeds with output that holds `expected`.
    bool WaitFor(const std::string& tool, const std::vector<std::string>& args,
                 const std::string& expected, std::chrono::milliseconds timeout) const;

    std::string FWhy;
    std::string FDisplay;
    std::unique_ptr<TChildProcess> FServer;
    std::unique_ptr<TChildProcess> FWindowManager;
    std::unique_ptr<TChildProcess> FTray;
};

// The full path of a program found on PATH; nullopt when there is none.
std::optional<std::string> FindProgram(const std::string& name);

} // namespace vx::test
