// vxhealth: one health check of the suite's five services, printed for people or as JSON;
// the exit code says whether all work.
#include "health/HttpClient.h"
#include "health/ServiceTester.h"
#include "httpservice/MachineKey.h"
#include "platform/Prefix.h"
#include "platform/Registry.h"
#include "platform/RegistryStore.h"
#include "vxhealth/HealthOutput.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

constexpr const char* const UsageText =
    "Usage: vxhealth [--json]\n"
    "Probes the suite's five services (Updater 21321, Firewall 21322, Scanner 21323,\n"
    "Tray 21324, Monitor 21325) on 127.0.0.1 for their integrity tokens, made from the\n"
    "machine key of the prefix ($VXTRAY_PREFIX, else $XDG_DATA_HOME/korvex-thornet-2/prefix).\n"
    "Prints one line per service, \"<name>: <status>\", then the problems found, one per line.\n"
    "\n"
    "  --json     print one JSON object per line instead, one line per service in the order\n"
    "             above: {\"name\":\"Scanner\",\"service\":\"VXFSSvc\",\"port\":21323,\n"
    "             \"status\":\"unavailable\",\"message\":\"12002: The operation timed out\"};\n"
    "             status is working, unavailable, corrupted or untested (the probe failed\n"
    "             inside vxhealth); message is the problem found, empty when there is none\n"
    "  -h, --help show this text and exit\n"
    "\n"
    "Exit status: 0 when every service works, 1 when one does not (or the check could not\n"
    "run), 2 for an argument vxhealth does not know.\n";
constexpr const char* const JsonOption = "--json";
constexpr const char* const ErrorStart = "vxhealth: ";
constexpr const char* const UnknownArgumentStart = "vxhealth: unknown argument '";
constexpr const char* const UnknownArgumentEnd = "'\n";

constexpr int ExitAllWorking = 0;
constexpr int ExitNotAllWorking = 1;
constexpr int ExitUsage = 2;

void InitMachineKeyFromPrefix() {
    const auto prefix = vx::win::ResolvePrefixDir();
    if (!std::filesystem::exists(prefix)) {
        vx::win::EnsurePrefix(prefix, vx::win::DefaultPrefixTemplate());
    }
    vx::win::RequirePrefix(prefix);
    vx::win::InstallRegistryStore(std::make_shared<vx::win::TRegistryStore>(prefix));
    vx::httpservice::InitMachineKey();
}

} // namespace

int main(int argc, char** argv) {
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << UsageText;
            return ExitAllWorking;
        }
        if (arg != JsonOption) {
            std::cerr << UnknownArgumentStart << arg << UnknownArgumentEnd << UsageText;
            return ExitUsage;
        }
        json = true;
    }
    std::signal(SIGPIPE, SIG_IGN);
    try {
        vx::health::InitializeHttpClient();
        InitMachineKeyFromPrefix();
        vx::health::TKorvex2WebThreadTester tester;
        const bool allWorking = tester.TestAll();
        if (json) {
            vx::vxhealth::PrintJson(tester, std::cout);
        } else {
            vx::vxhealth::PrintText(tester, std::cout);
        }
        return allWorking ? ExitAllWorking : ExitNotAllWorking;
    } catch (const std::exception& error) {
        std::cerr << ErrorStart << error.what() << "\n";
        return ExitNotAllWorking;
    }
}
