// A companion program of the suite, started from the tray's menu: it announces itself and
// ends. One source serves all four; each build names its program and title.
#include "product/ProductIdentity.h"

#include <cstdlib>
#include <iostream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>

extern char** environ;

namespace {

using vx::product::ProductName;
constexpr const char* ProgramName = VX_COMPANION_NAME;
constexpr const char* ProgramTitle = VX_COMPANION_TITLE;
constexpr const char* NotifyProgram = "notify-send";
constexpr const char* StartedText = " started";

bool HasDesktop() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

// A desktop notification through notify-send; false when there is no desktop, no
// notify-send or it failed.
bool Notify(const std::string& summary, const std::string& body) {
    if (!HasDesktop()) {
        return false;
    }
    std::string program = NotifyProgram;
    std::string appName = std::string("--app-name=") + ProductName;
    std::string summaryText = summary;
    std::string bodyText = body;
    char* argv[] = {program.data(), appName.data(), summaryText.data(), bodyText.data(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, NotifyProgram, nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) {
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main() {
    const std::string summary = std::string(ProductName) + " - " + ProgramTitle;
    const std::string body = std::string(ProgramName) + StartedText;
    if (!Notify(summary, body)) {
        std::cout << summary << ": " << body << std::endl;
    }
    return 0;
}
