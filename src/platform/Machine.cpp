#include "platform/Machine.h"

#include "platform/Prefix.h"
#include "platform/Registry.h"
#include "platform/RegistryStore.h"

#include <memory>

namespace vx::win {

std::filesystem::path OpenMachine() {
    auto prefix = ResolvePrefixDir();
    EnsurePrefix(prefix, DefaultPrefixTemplate());
    RequirePrefix(prefix);
    InstallRegistryStore(std::make_shared<TRegistryStore>(prefix));
    SetCurrentPrefixDir(prefix);
    return prefix;
}

std::filesystem::path
OpenExistingMachine(const std::function<void(const std::string&)>& onProblem) {
    auto prefix = ResolvePrefixDir();
    RequirePrefix(prefix);
    InstallRegistryStore(std::make_shared<TRegistryStore>(prefix, onProblem));
    SetCurrentPrefixDir(prefix);
    TKeyHandle probe; // opening a key loads every hive
    RegOpenKeyEx(HKEY_LOCAL_MACHINE, "", KEY_READ, probe.Receive());
    return prefix;
}

} // namespace vx::win
