#include "Machine.h"

#include "Prefix.h"
#include "Registry.h"
#include "RegistryStore.h"

#include <memory>

namespace vx::win {

std::filesystem::path OpenMachine() {
    const auto prefix = ResolvePrefixDir();
    EnsurePrefix(prefix, DefaultPrefixTemplate());
    RequirePrefix(prefix);
    InstallRegistryStore(std::make_shared<TRegistryStore>(prefix));
    SetCurrentPrefixDir(prefix);
    return prefix;
}

} // namespace vx::win
