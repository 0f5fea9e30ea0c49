#include "support/ChildProcess.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vx::test {

TChildProcess::TChildProcess(const std::filesystem::path& program,
                             const std::vector<std::string>& args,
                             const TEnvironment& extraEnvironment) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> argStore{program.string()};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    argv.reserve(argStore.size() + 1);
    for (auto& arg : argStore) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    TEnvironment environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const auto eq = text.find('=');
        environment[text.substr(0, eq)] = eq == std::string::npos ? "" : text.substr(eq + 1);
    }
    for (const auto& [name, value] : extraEnvironment) {
        environment[name] = value;
    }
    std::vector<std::string> envStore;
    for (const auto& [name, value] : environment) {
        envStore.push_back(name);
        envStore.back().append("=").append(value);
    }
    std::vector<char*> envp;
    envp.reserve(envStore.size() + 1);
    for (auto& entry : envStore) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const int result =
        ::posix_spawn(&FPid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    FOutput = pipeFds[0];
    if (result != 0) {
        ::close(FOutput);
        throw std::runtime_error("cannot start " + program.string());
    }
}

TChildProcess::~TChildProcess() {
    if (!FExitCode && FPid > 0) {
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
    }
    if (FOutput >= 0) {
        ::close(FOutput);
    }
}

int TChildProcess::ReadSome(std::chrono::milliseconds timeout) {
    pollfd fd{FOutput, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(timeout.count())) <= 0) {
        return 0;
    }
    char buffer[4096];
    const ssize_t n = ::read(FOutput, buffer, sizeof buffer);
    if (n <= 0) {
        return -1;
    }
    FText.append(buffer, static_cast<std::size_t>(n));
    return static_cast<int>(n);
}

void TChildProcess::Drain() {
    while (ReadSome(std::chrono::milliseconds(0)) > 0) {
    }
}

bool TChildProcess::WaitForLine(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (FText.find(text, FScanned) != std::string::npos) {
            FScanned = FText.find(text, FScanned) + text.size();
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ReadSome(left) < 0) {
            return false;
        }
    }
}

void TChildProcess::Signal(int signal) const {
    if (!FExitCode) {
        ::kill(FPid, signal);
    }
}

std::optional<int> TChildProcess::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!FExitCode) {
        int status = 0;
        if (::waitpid(FPid, &status, WNOHANG) == FPid) {
            FExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        ReadSome(std::chrono::milliseconds(20));
    }
    Drain();
    return FExitCode;
}

const std::string& TChildProcess::Output() {
    Drain();
    return FText;
}

std::pair<int, std::string> TChildProcess::Run(const std::filesystem::path& program,
                                               const std::vector<std::string>& args,
                                               const TEnvironment& extraEnvironment,
                                               std::chrono::milliseconds timeout) {
    TChildProcess child(program, args, extraEnvironment);
    const auto code = child.Wait(timeout);
    return {code.value_or(-1), child.Output()};
}

} // namespace vx::test
