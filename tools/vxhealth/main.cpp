// vxhealth: one health check of the suite's five services, printed; exit 0 when all work.
#include "health/HttpClient.h"
#include "health/ServiceTester.h"
#include "httpservice/MachineKey.h"
#include "platform/Prefix.h"
#include "platform/Registry.h"
#include "platform/RegistryStore.h"

#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

constexpr const char* const UsageText =
    "Usage: vxhealth\n"
    "Probes the suite's five services (Updater 21321, Firewall 21322, Scanner 21323,\n"
    "Tray 21324, Monitor 21325) on 127.0.0.1 for their integrity tokens, made from the\n"
    "machine key of the prefix ($VXTRAY_PREFIX, else $XDG_DATA_HOME/korvex-thornet-2/prefix).\n"
    "Prints one line per service, \"<name>: <status>\", then the problems found.\n"
    "Exit code 0 when every service works, else 1.\n";

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
    if (argc > 1) {
        const std::string arg = argv[1];
        std::cout << UsageText;
        return arg == "--help" || arg == "-h" ? 0 : 1;
    }
    std::signal(SIGPIPE, SIG_IGN);
    try {
        vx::health::InitializeHttpClient();
        InitMachineKeyFromPrefix();
        vx::health::TKorvex2WebThreadTester tester;
        const bool allWorking = tester.TestAll();
        for (int index = 0; index < tester.TestCount(); ++index) {
            const auto& test = tester.Tests(index);
            std::cout << test.DisplayName << ": " << vx::health::ServiceStatusWords[test.Status]
                      << "\n";
        }
        for (const auto& message : tester.Messages()) {
            std::cout << message << "\n";
        }
        return allWorking ? 0 : 1;
    } catch (const std::exception& error) {
        std::cerr << "vxhealth: " << error.what() << "\n";
        return 1;
    }
}
