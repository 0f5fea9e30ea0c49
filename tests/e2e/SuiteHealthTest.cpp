// The real suite-sim, vxhealth and VXTray binaries on the suite's fixed ports.
#include "support/ChildProcess.h"
#include "support/LoopbackPort.h"
#include "support/TestPeer.h"

#include <cctype>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <stdlib.h>
#include <string>

#include <gtest/gtest.h>

namespace vx::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path BinDir = VX_BIN_DIR;
const fs::path SourceDir = VX_SOURCE_DIR;
constexpr int TrayPort = 21324;
constexpr int ScannerPort = 21323;

// A flat JSON object of strings and integers, as vxhealth writes one per line, with its
// strings decoded; nullopt when `line` is not one. A raw control character in a string is not
// JSON.
std::optional<std::map<std::string, std::string>> ParseFlatObject(const std::string& line) {
    std::size_t pos = 0;
    const auto readString = [&](std::string& out) {
        if (pos >= line.size() || line[pos++] != '"') {
            return false;
        }
        while (pos < line.size() && line[pos] != '"') {
            const char c = line[pos++];
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos >= line.size()) {
                return false;
            }
            const char escape = line[pos++];
            const std::string simple = "\"\\/bfnrt";
            const std::string meant = "\"\\/\b\f\n\r\t";
            if (const auto at = simple.find(escape); at != std::string::npos) {
                out += meant[at];
            } else if (escape == 'u' && pos + 4 <= line.size()) {
                const unsigned long code = std::stoul(line.substr(pos, 4), nullptr, 16);
                if (code > 0x7F) {
                    return false; // vxhealth writes its texts as UTF-8, escaping only below 0x80
                }
                out += static_cast<char>(code);
                pos += 4;
            } else {
                return false;
            }
        }
        return pos++ < line.size();
    };
    std::map<std::string, std::string> object;
    if (line.empty() || line[pos++] != '{') {
        return std::nullopt;
    }
    while (true) {
        std::string name;
        std::string value;
        if (!readString(name) || pos >= line.size() || line[pos++] != ':') {
            return std::nullopt;
        }
        if (pos < line.size() && line[pos] == '"') {
            if (!readString(value)) {
                return std::nullopt;
            }
        } else {
            while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos])) != 0) {
                value += line[pos++];
            }
            if (value.empty()) {
                return std::nullopt;
            }
        }
        object[name] = value;
        if (pos >= line.size()) {
            return std::nullopt;
        }
        const char next = line[pos++];
        if (next == '}') {
            return pos == line.size() ? std::optional(object) : std::nullopt;
        }
        if (next != ',') {
            return std::nullopt;
        }
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class SuiteHealth : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vx-e2e-XXXXXX").string();
        FDir = ::mkdtemp(pattern.data());
        fs::copy(BinDir / "prefix", FDir / "prefix", fs::copy_options::recursive);
        FEnvironment = {{"VXTRAY_PREFIX", (FDir / "prefix").string()},
                        {"QT_QPA_PLATFORM", "offscreen"}};
    }
    void TearDown() override { fs::remove_all(FDir); }

    std::unique_ptr<TChildProcess> StartSuite(const std::vector<std::string>& args = {}) {
        auto suite = std::make_unique<TChildProcess>(BinDir / "suite-sim", args, FEnvironment);
        EXPECT_TRUE(suite->WaitForLine("listening on 127.0.0.1:21325", 10s)) << suite->Output();
        return suite;
    }

    std::unique_ptr<TChildProcess> StartTray() {
        auto tray = std::make_unique<TChildProcess>(BinDir / "VXTray", std::vector<std::string>{},
                                                    FEnvironment);
        EXPECT_TRUE(PollUntil([] { return LoopbackListening(TrayPort); }, 15s)) << tray->Output();
        return tray;
    }

    std::pair<int, std::string> Health(const std::vector<std::string>& args = {}) {
        return TChildProcess::Run(BinDir / "vxhealth", args, FEnvironment);
    }

    // What a program writes to standard output alone.
    std::pair<int, std::string> StandardOutput(const char* program,
                                               const std::vector<std::string>& args) {
        std::vector<std::string> shellArgs{"-c", "\"$0\" \"$@\" 2>/dev/null",
                                           (BinDir / program).string()};
        shellArgs.insert(shellArgs.end(), args.begin(), args.end());
        return TChildProcess::Run("/bin/sh", shellArgs, FEnvironment);
    }

    std::pair<int, std::string> Add(const std::string& query) {
        return TChildProcess::Run(BinDir / "suite-sim", {"--add", query}, FEnvironment);
    }

    fs::path FDir;
    TChildProcess::TEnvironment FEnvironment;
};

TEST_F(SuiteHealth, TheSuiteWorksAndTheMissingTrayFailsTheCheck) {
    auto suite = StartSuite();
    const auto [code, output] = Health();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(output, "Updater: working\n"
                      "Firewall: working\n"
                      "Scanner: working\n"
                      "Tray: unavailable\n"
                      "Monitor: working\n"
                      "Tray: Could not connect to server!\n");
    suite->Signal(SIGTERM);
    EXPECT_EQ(suite->Wait(10s), 0);
    EXPECT_NE(suite->Output().find("stopping"), std::string::npos);
}

TEST_F(SuiteHealth, ACorruptServiceIsNamed) {
    auto suite = StartSuite({"--corrupt", "scanner"});
    const auto [code, output] = Health();
    EXPECT_EQ(code, 1);
    EXPECT_NE(output.find("Scanner: corrupted\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Scanner: integrity check shows possible corruption"), std::string::npos)
        << output;
}

TEST_F(SuiteHealth, ASecondSuiteFindsItsPortsTaken) {
    auto suite = StartSuite();
    const auto [code, output] = TChildProcess::Run(BinDir / "suite-sim", {}, FEnvironment);
    EXPECT_EQ(code, 1);
    EXPECT_NE(output.find("is in use"), std::string::npos) << output;
}

// Scripts read the exit code: 0 only when all five services work.
TEST_F(SuiteHealth, TheExitCodeSaysWhetherEveryServiceWorks) {
    const struct {
        const char* Name;
        std::vector<std::string> SuiteArgs;
        int Code;
        std::string Output;
    } cases[] = {
        {"all five",
         {},
         0,
         "Updater: working\nFirewall: working\nScanner: working\nTray: working\n"
         "Monitor: working\n"},
        {"the scanner left out",
         {"--services", "update,firewall,monitor"},
         1,
         "Updater: working\nFirewall: working\nScanner: unavailable\nTray: working\n"
         "Monitor: working\nScanner: Could not connect to server!\n"},
    };
    auto tray = StartTray();
    for (const auto& row : cases) {
        SCOPED_TRACE(row.Name);
        auto suite = StartSuite(row.SuiteArgs);
        for (const bool json : {false, true}) {
            const auto [code, output] =
                Health(json ? std::vector<std::string>{"--json"} : std::vector<std::string>{});
            EXPECT_EQ(code, row.Code) << output;
            if (!json) {
                EXPECT_EQ(output, row.Output);
            }
        }
        suite->Signal(SIGTERM);
        EXPECT_EQ(suite->Wait(10s), 0) << suite->Output();
    }
    tray->Signal(SIGTERM);
    EXPECT_EQ(tray->Wait(5s), 0) << tray->Output();
}

TEST_F(SuiteHealth, UsageErrorsExitWithTwoAndTheUsageOnStandardError) {
    const struct {
        const char* Name;
        std::vector<std::string> Args;
        int Code;
        bool UsageOnStandardOutput;
    } cases[] = {
        {"unknown option", {"--bogus"}, 2, false},
        {"an argument after --json", {"--json", "Scanner"}, 2, false},
        {"--help", {"--help"}, 0, true},
        {"-h", {"-h"}, 0, true},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.Name);
        const auto [code, output] = Health(row.Args);
        EXPECT_EQ(code, row.Code) << output;
        EXPECT_NE(output.find("Usage: vxhealth [--json]"), std::string::npos) << output;
        const auto [stdoutCode, stdoutOnly] = StandardOutput("vxhealth", row.Args);
        EXPECT_EQ(stdoutCode, row.Code);
        EXPECT_EQ(stdoutOnly.find("Usage:") != std::string::npos, row.UsageOnStandardOutput)
            << stdoutOnly;
    }
}

// A service that answers with something other than HTTP makes a Windows error text, which
// ends in CR LF; it must not break a line of either output.
TEST_F(SuiteHealth, JsonHasEveryServiceOnALineOfItsOwn) {
    auto suite = StartSuite({"--services", "update,firewall,monitor"});
    TTestPeer scanner(ScannerPort, "not HTTP");

    const auto [code, output] = Health({"--json"});
    EXPECT_EQ(code, 1);
    const std::vector<std::string> lines = Lines(output);
    ASSERT_EQ(lines.size(), 5u) << output;
    const struct {
        const char* Name;
        const char* Service;
        const char* Port;
        const char* Status;
        const char* Message;
    } expected[] = {
        {"Updater", "VXUpdSvc", "21321", "working", ""},
        {"Firewall", "VXFWSvc", "21322", "working", ""},
        {"Scanner", "VXFSSvc", "21323", "unavailable",
         "12152: The server returned an invalid or unrecognized response"},
        {"Tray", "VXTray", "21324", "unavailable", "Could not connect to server!"},
        {"Monitor", "VXMonSvc", "21325", "working", ""},
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(expected[i].Name);
        const auto object = ParseFlatObject(lines[i]);
        ASSERT_TRUE(object) << lines[i];
        EXPECT_EQ(*object, (std::map<std::string, std::string>{{"name", expected[i].Name},
                                                               {"service", expected[i].Service},
                                                               {"port", expected[i].Port},
                                                               {"status", expected[i].Status},
                                                               {"message", expected[i].Message}}));
    }

    const auto [textCode, text] = Health();
    EXPECT_EQ(textCode, 1);
    EXPECT_NE(text.find("\nScanner: 12152: The server returned an invalid or unrecognized "
                        "response\nTray: Could not connect to server!\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find('\r'), std::string::npos) << text;
}

// suite-sim --add prints the tray's status line; a refusal says why on standard error, and
// the example the README and `make run` give raises a decision.
TEST_F(SuiteHealth, AddSaysWhyTheTrayRefusedAndTheDocumentedExampleIsTaken) {
    auto suite = StartSuite();
    auto tray = StartTray();

    const auto [refusedCode, refused] = Add("module=Registry&item=HKLM%5CSoftware%5CRun");
    EXPECT_EQ(refusedCode, 1);
    EXPECT_EQ(refused, "HTTP/1.0 504\n"
                       "suite-sim: not accepted: the fields module and information are required "
                       "(information is missing)\n");
    EXPECT_EQ(StandardOutput("suite-sim", {"--add", "module=Registry"}).second, "HTTP/1.0 504\n");

    const std::regex example("suite-sim --add '([^']*)'");
    for (const char* document : {"README.md", "scripts/run"}) {
        SCOPED_TRACE(document);
        std::ifstream file(SourceDir / document);
        const std::string text((std::istreambuf_iterator<char>(file)), {});
        std::smatch match;
        ASSERT_TRUE(std::regex_search(text, match, example));
        const auto [code, output] = Add(match[1]);
        EXPECT_EQ(code, 0) << output;
        EXPECT_EQ(output.rfind("HTTP/1.0 200\nid=", 0), 0u) << output;
    }
    tray->Signal(SIGTERM);
    EXPECT_EQ(tray->Wait(5s), 0) << tray->Output();
}

} // namespace
} // namespace vx::test
