#include "platform/ShellExecute.h"

#include "platform/Prefix.h"
#include "support/TempPrefix.h"

#include <chrono>
#include <csignal>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Reports where it runs, its arguments and how it was started, then ends.
constexpr const char* ReportScript = R"(#!/bin/sh
{
    pwd
    for a in "$@"; do echo "[$a]"; done
    # Built-ins only: a child would show the shell's mask while it waits.
    while read -r name value; do
        case "$name" in SigBlk:|SigIgn:) echo "$name $value" ;; esac
    done < /proc/$$/status
    read -r stat < /proc/$$/stat
    set -- $stat
    echo "session $6 pid $$"
} > report.tmp
mv report.tmp report.txt
)";

bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// Children of this process that ended and were never reaped.
int ZombieChildren() {
    int zombies = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream in(entry.path() / "stat");
        std::string line;
        if (!std::getline(in, line)) {
            continue;
        }
        const auto close = line.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        long parent = 0;
        rest >> state >> parent;
        zombies += (state == 'Z' && parent == ::getpid()) ? 1 : 0;
    }
    return zombies;
}

std::uint64_t MaskField(const std::string& report, const std::string& name) {
    const auto at = report.find(name + ":");
    return at == std::string::npos ? ~0ull
                                   : std::stoull(report.substr(at + name.size() + 1), nullptr, 16);
}

class ShellExecuteTest : public ::testing::Test {
protected:
    void SetUp() override { FPrefix.Install(); }

    // The report script at `folder` (a folder of the prefix), executable.
    fs::path Script(const fs::path& folder, const char* name = "report.sh") const {
        fs::create_directories(folder);
        fs::path script = folder / name;
        std::ofstream(script) << ReportScript;
        fs::permissions(script, fs::perms::owner_all);
        return script;
    }

    static std::string ReadReport(const fs::path& folder) {
        if (!WaitFor([&] { return fs::exists(folder / "report.txt"); })) {
            return {};
        }
        std::ifstream in(folder / "report.txt");
        return {std::istreambuf_iterator<char>(in), {}};
    }

    test::TTempPrefix FPrefix;
};

TEST_F(ShellExecuteTest, StartsTheProgramWithItsArgumentsInTheFolder) {
    const fs::path folder = FPrefix.Dir() / "native";
    const fs::path script = Script(folder);
    ASSERT_TRUE(
        ShellExecute(script.string(), "first \"second arg\"  third", folder.string(), SW_SHOW));
    const std::string report = ReadReport(folder);
    EXPECT_EQ(report.substr(0, report.find("SigBlk")),
              folder.string() + "\n[first]\n[second arg]\n[third]\n");
}

TEST_F(ShellExecuteTest, WindowsPathsAreStartedInThePrefix) {
    const fs::path folder = FPrefix.Dir() / "drive_c/Program Files/Suite";
    Script(folder, "VXScan.exe");
    ASSERT_TRUE(ShellExecute("C:\\Program Files\\Suite\\VXSCAN.EXE", "",
                             "c:\\program files\\suite\\", SW_SHOW));
    const std::string report = ReadReport(folder);
    EXPECT_EQ(report.substr(0, report.find('\n')), folder.string());
}

TEST_F(ShellExecuteTest, TheProgramIsLetGoAndReapedWhenItEnds) {
    // What a tray with its own signal handling passes on: an ignored SIGPIPE and a blocked
    // SIGTERM must not reach the program.
    const auto previous = std::signal(SIGPIPE, SIG_IGN);
    sigset_t block;
    sigset_t old;
    sigemptyset(&block);
    sigaddset(&block, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &block, &old);
    const fs::path folder = FPrefix.Dir() / "detached";
    const bool started = ShellExecute(Script(folder).string(), "", folder.string(), SW_SHOW);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    std::signal(SIGPIPE, previous);
    ASSERT_TRUE(started);

    const std::string report = ReadReport(folder);
    EXPECT_EQ(MaskField(report, "SigBlk"), 0u) << report;
    EXPECT_EQ(MaskField(report, "SigIgn") & (1ull << (SIGPIPE - 1)), 0u) << report;
    const auto session = report.find("session ");
    ASSERT_NE(session, std::string::npos);
    std::istringstream ids(report.substr(session + 8));
    std::string word;
    long sid = 0;
    long pid = -1;
    ids >> sid >> word >> pid;
    EXPECT_EQ(sid, pid) << "the program leads a session of its own";
    EXPECT_TRUE(WaitFor([] { return ZombieChildren() == 0; }));
}

TEST_F(ShellExecuteTest, WhatCannotBeStartedGivesFalse) {
    const fs::path folder = FPrefix.Dir() / "drive_c/Suite";
    Script(folder);
    FPrefix.Write("drive_c/Suite/plain.exe", "not a program");
    fs::permissions(folder / "plain.exe", fs::perms::owner_read | fs::perms::owner_write);
    struct TCase {
        std::string File;
        std::string Directory;
    };
    const TCase cases[] = {
        {"C:\\Suite\\missing.exe", ""},
        {"C:\\Suite\\plain.exe", ""},
        {"C:\\Suite", ""},
        {"C:\\Suite\\report.sh", "C:\\NoSuchFolder"},
        {"C:\\Suite\\report.sh", "relative"},
        {"report.sh", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ShellExecute(c.File, "", c.Directory, SW_SHOW))
            << c.File << " in " << c.Directory;
    }
    SetCurrentPrefixDir({});
    EXPECT_FALSE(ShellExecute("C:\\Suite\\report.sh", "", "", SW_SHOW));
    EXPECT_FALSE(fs::exists(folder / "report.txt"));
}

TEST(SplitParametersTest, BlanksSeparateAndQuotesGroup) {
    struct TCase {
        const char* Parameters;
        std::vector<std::string> Arguments;
    };
    const TCase cases[] = {
        {"", {}},
        {"   ", {}},
        {"a", {"a"}},
        {" a  b\tc ", {"a", "b", "c"}},
        {"\"a b\" c", {"a b", "c"}},
        {"x\"y z\"w", {"xy zw"}},
        {"\"\"", {""}},
        {"\"open", {"open"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitParameters(c.Parameters), c.Arguments) << c.Parameters;
    }
}

} // namespace
} // namespace vx::win
