#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vx::test {

// A program of ours run as a child process, its standard output and error read through one
// pipe. The destructor kills a child that is still running.
class TChildProcess {
public:
    using TEnvironment = std::map<std::string, std::string>;

    TChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                  const TEnvironment& extraEnvironment = {});
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // Reads output until a line containing `text` arrives; false at the time-out or end of
    // output.
    bool WaitForLine(const std::string& text, std::chrono::milliseconds timeout);
    void Signal(int signal) const;
    pid_t Pid() const { return FPid; }
    // The exit code once the child ended, nullopt at the time-out; a child ended by a signal
    // gives 128 + the signal's number.
    std::optional<int> Wait(std::chrono::milliseconds timeout);
    // Everything the child wrote so far.
    const std::string& Output();

    // Runs a program to its end and returns its exit code and output.
    static std::pair<int, std::string>
    Run(const std::filesystem::path& program, const std::vector<std::string>& args,
        const TEnvironment& extraEnvironment = {},
        std::chrono::milliseconds timeout = std::chrono::seconds(30));

private:
    // Reads what arrives within `timeout`: the byte count, 0 for nothing, -1 at the end.
    int ReadSome(std::chrono::milliseconds timeout);
    void Drain();

    pid_t FPid = -1;
    int FOutput = -1;
    std::string FText;
    std::size_t FScanned = 0;
    std::optional<int> FExitCode;
};

} // namespace vx::test
