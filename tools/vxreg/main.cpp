// vxreg: the registry command line of the prefix, in the manner of reg.exe.
#include "RegArgs.h"
#include "RegTool.h"
#include "platform/Machine.h"
#include "platform/Registry.h"

#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace vx::win;

constexpr const char* UsageHint = "Type \"vxreg /?\" for usage.";

bool IsHelp(const std::string& arg) {
    return arg == "/?" || arg == "-h" || arg == "--help";
}

// Asks on the terminal; without one nobody can answer, so the command is refused.
bool AskOnTerminal(const std::string& question, const std::string& refusal) {
    if (::isatty(STDIN_FILENO) == 0) {
        throw vx::Exception(refusal);
    }
    std::cout << question << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        return false;
    }
    for (char& c : answer) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return answer == "y" || answer == "yes";
}

// Prints the store's problems; true when there were any.
bool ReportProblems(const std::vector<std::string>& problems) {
    for (const std::string& problem : problems) {
        std::cerr << "ERROR: " << problem << "\n";
    }
    return !problems.empty();
}

int Run(const std::vector<std::string>& args) {
    const vx::vxreg::TCommand command = vx::vxreg::ParseCommandLine(args);
    std::vector<std::string> problems;
    OpenExistingMachine([&problems](const std::string& message) { problems.push_back(message); });
    // A hive that does not parse stops the command before it reads or changes anything.
    if (ReportProblems(problems)) {
        return 1;
    }
    const int code = vx::vxreg::RunCommand(command, std::cout, AskOnTerminal);
    InstallRegistryStore(nullptr);
    return ReportProblems(problems) ? 1 : code;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && IsHelp(args[0])) {
        std::cout << vx::vxreg::UsageText();
        return 0;
    }
    try {
        return Run(args);
    } catch (const vx::vxreg::EUsage& e) {
        std::cerr << "ERROR: " << e.what() << "\n" << UsageHint << "\n";
    } catch (const std::exception& e) {
        std::cerr << "ERROR: " << e.what() << "\n";
    }
    return 1;
}
