#include "platform/ShellExecute.h"

#include "platform/Files.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>

extern char** environ;

namespace vx::win {

namespace {

// Signals whose handling a started program must not inherit: ignored ones stay ignored
// across exec, and our shutdown handling catches SIGINT and SIGTERM.
constexpr int DefaultSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD};

// posix_spawn attributes and file actions, released however the start ends.
class TSpawnSetup {
public:
    TSpawnSetup() {
        FAttrOk = ::posix_spawnattr_init(&FAttr) == 0;
        FActionsOk = ::posix_spawn_file_actions_init(&FActions) == 0;
    }
    ~TSpawnSetup() {
        if (FAttrOk) {
            ::posix_spawnattr_destroy(&FAttr);
        }
        if (FActionsOk) {
            ::posix_spawn_file_actions_destroy(&FActions);
        }
    }
    TSpawnSetup(const TSpawnSetup&) = delete;
    TSpawnSetup& operator=(const TSpawnSetup&) = delete;

    bool Prepare(const std::string& directory) {
        if (!FAttrOk || !FActionsOk) {
            return false;
        }
        sigset_t none;
        sigset_t defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        for (const int signal : DefaultSignals) {
            sigaddset(&defaults, signal);
        }
        const short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        if (::posix_spawnattr_setflags(&FAttr, flags) != 0 ||
            ::posix_spawnattr_setsigmask(&FAttr, &none) != 0 ||
            ::posix_spawnattr_setsigdefault(&FAttr, &defaults) != 0) {
            return false;
        }
        return directory.empty() ||
               ::posix_spawn_file_actions_addchdir_np(&FActions, directory.c_str()) == 0;
    }

    const posix_spawnattr_t* Attr() const { return &FAttr; }
    const posix_spawn_file_actions_t* Actions() const { return &FActions; }

private:
    posix_spawnattr_t FAttr{};
    posix_spawn_file_actions_t FActions{};
    bool FAttrOk = false;
    bool FActionsOk = false;
};

} // namespace

std::vector<std::string> SplitParameters(std::string_view parameters) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool quoted = false;
    for (const char c : parameters) {
        if (c == '"') {
            quoted = !quoted;
            inArgument = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inArgument) {
                arguments.push_back(std::move(current));
                current.clear();
                inArgument = false;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) {
        arguments.push_back(std::move(current));
    }
    return arguments;
}

bool ShellExecute(std::string_view file, std::string_view parameters, std::string_view directory,
                  int /*showCommand*/) {
    const auto program = LocalPath(file);
    if (!program) {
        return false;
    }
    std::string folder;
    if (!directory.empty()) {
        const auto localFolder = LocalPath(directory);
        if (!localFolder) {
            return false;
        }
        folder = localFolder->string();
    }
    TSpawnSetup setup;
    if (!setup.Prepare(folder)) {
        return false;
    }
    std::vector<std::string> arguments{program->string()};
    for (auto& argument : SplitParameters(parameters)) {
        arguments.push_back(std::move(argument));
    }
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawn(&child, arguments.front().c_str(), setup.Actions(), setup.Attr(), argv.data(),
                      environ) != 0) {
        return false;
    }
    // Nobody else waits for it: a thread of its own reaps it so that no zombie is left behind.
    try {
        std::thread([child] {
            int status = 0;
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // Without a thread the child is reaped at our exit; it runs all the same.
    }
    return true;
}

} // namespace vx::win
