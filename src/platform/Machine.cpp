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

} // namespace vx::win
