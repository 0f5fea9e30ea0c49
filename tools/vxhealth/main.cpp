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
    const auto Prefix = vx::win::ResolvePrefixDir();
    if (!std::filesystem::exists(Prefix)) {
        vx::win::EnsurePrefix(Prefix, vx::win::DefaultPrefixTemplate());
    }
    vx::win::RequirePrefix(Prefix);
    vx::win::InstallRegistryStore(std::make_shared<vx::win::TRegistryStore>(Prefix));
    vx::httpservice::InitMachineKey();
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        const std::string Arg = argv[1];
        std::cout << UsageText;
        return Arg == "--help" || Arg == "-h" ? 0 : 1;
    }
    std::signal(SIGPIPE, SIG_IGN);
    try {
        vx::health::InitializeHttpClient();
        InitMachineKeyFromPrefix();
        vx::health::TKorvex2WebThreadTester Tester;
        const bool AllWorking = Tester.TestAll();
        for (int Index = 0; Index < Tester.TestCount(); ++Index) {
            const auto& Test = Tester.Tests(Index);
            std::cout << Test.DisplayName << ": " << vx::health::ServiceStatusWords[Test.Status]
                      << "\n";
        }
        for (const auto& Message : Tester.Messages()) {
            std::cout << Message << "\n";
        }
        return AllWorking ? 0 : 1;
    } catch (const std::exception& Error) {
        std::cerr << "vxhealth: " << Error.what() << "\n";
        return 1;
    }
}
