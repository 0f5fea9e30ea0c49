#include "support/X11Session.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace vx::test {
namespace {

namespace fs = std::filesystem;

constexpr auto StartWait = std::chrono::seconds(10);
constexpr auto Poll = std::chrono::milliseconds(50);
constexpr auto ToolWait = std::chrono::seconds(10);
constexpr auto EndWait = std::chrono::seconds(3);
constexpr const char* ScreenSize = "1280x800x24";

const std::vector<std::string> Needed{"Xvfb", "openbox", "trayer", "xdotool", "xprop"};

} // namespace

std::optional<std::string> FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder) / name;
        if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate.string();
        }
    }
    return std::nullopt;
}

TX11Session::~TX11Session() {
    // Asked to end, not killed: the server then takes its lock file and socket along.
    for (auto* process : {FTray.get(), FWindowManager.get(), FServer.get()}) {
        if (process != nullptr) {
            process->Signal(SIGTERM);
            process->Wait(EndWait);
        }
    }
}

TX11Session& TX11Session::Shared() {
    static TX11Session session;
    return session;
}

std::optional<std::pair<int, std::string>>
TX11Session::RunTool(const std::string& name, const std::vector<std::string>& args) const {
    const auto program = FindProgram(name);
    if (!program) {
        return std::nullopt;
    }
    return TChildProcess::Run(*program, args, {{"DISPLAY", FDisplay}}, ToolWait);
}

bool TX11Session::WaitFor(const std::string& tool, const std::vector<std::string>& args,
                          const std::string& expected, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto result = RunTool(tool, args);
        if (result && result->first == 0 && !result->second.empty() &&
            result->second.find(expected) != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(Poll);
    }
    return false;
}

bool TX11Session::Start() {
    if (Available()) {
        return true;
    }
    for (const auto& program : Needed) {
        if (!FindProgram(program)) {
            FWhy = program + " is not installed (scripts/install-deps installs it)";
            return false;
        }
    }
    // The server picks a free display itself and tells it on standard output, so that test
    // executables running side by side never meet on one display.
    auto server = std::make_unique<TChildProcess>(
        *FindProgram("Xvfb"),
        std::vector<std::string>{"-displayfd", "1", "-screen", "0", ScreenSize, "-nolisten", "tcp",
                                 // no reset when the probe's connection
                                 // ends: a reset refuses clients
                                 "-noreset"});
    const auto deadline = std::chrono::steady_clock::now() + StartWait;
    while (FDisplay.empty() && std::chrono::steady_clock::now() < deadline &&
           !server->Wait(std::chrono::milliseconds(0))) {
        server->WaitForLine("\n", Poll);
        std::stringstream lines(server->Output());
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) {
                FDisplay = ":" + line;
            }
        }
    }
    if (FDisplay.empty() || !WaitFor("xprop", {"-root", "_XKB_RULES_NAMES"}, "", StartWait)) {
        FWhy = "no X server could be started: " + server->Output();
        FDisplay.clear();
        return false;
    }
    FServer = std::move(server);
    FWindowManager = std::make_unique<TChildProcess>(
        *FindProgram("openbox"), std::vector<std::string>{"--sm-disable"},
        TChildProcess::TEnvironment{{"DISPLAY", FDisplay}});
    if (!WaitFor("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}, "window id", StartWait) ||
        !StartTray()) {
        FWhy = "the window manager or the system tray did not start on " + FDisplay + ": " +
               FWindowManager->Output() + (FTray ? FTray->Output() : std::string());
        FTray.reset();
        FWindowManager.reset();
        FServer.reset();
        return false;
    }
    return true;
}

bool TX11Session::StartTray() {
    if (FTray) {
        return true;
    }
    FTray = std::make_unique<TChildProcess>(
        *FindProgram("trayer"),
        std::vector<std::string>{"--edge", "top", "--align", "right", "--widthtype", "request",
                                 "--height", "32", "--transparent", "false", "--expand", "true",
                                 "--SetDockType", "true"},
        TChildProcess::TEnvironment{{"DISPLAY", FDisplay}});
    return WaitFor("xdotool", {"search", "--classname", "trayer"}, "", StartWait);
}

void TX11Session::StopTray() {
    if (FTray) {
        FTray->Signal(SIGTERM);
        FTray->Wait(EndWait);
        FTray.reset();
    }
}

std::optional<std::string> TX11Session::XdoTool(const std::vector<std::string>& args) const {
    const auto result = RunTool("xdotool", args);
    if (!result || result->first != 0) {
        return std::nullopt;
    }
    std::string output = result->second;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
        output.pop_back();
    }
    return output;
}

unsigned long TX11Session::ActiveWindow() const {
    const auto id = XdoTool({"getactivewindow"});
    return id && !id->empty() ? std::stoul(*id) : 0;
}

bool TX11Session::Activate(unsigned long window) const {
    return XdoTool({"windowactivate", "--sync", std::to_string(window)}).has_value();
}

bool TX11Session::Keys(const std::vector<std::string>& keys) const {
    std::vector<std::string> args{"key", "--clearmodifiers"};
    args.insert(args.end(), keys.begin(), keys.end());
    return XdoTool(args).has_value();
}

bool TX11Session::ClickAt(int x, int y, int button, int clicks) const {
    // Without --sync: that waits for the pointer to move, which it never does when it is
    // already there. The clicks of a double click come well within its interval.
    return XdoTool({"mousemove", std::to_string(x), std::to_string(y), "click", "--repeat",
                    std::to_string(clicks), "--delay", "60", std::to_string(button)})
        .has_value();
}

} // namespace vx::test
