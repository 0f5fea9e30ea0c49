#include "platform/Registry.h"

#include "platform/RegistryStoreImpl.h"

#include <mutex>

namespace vx::win {

namespace {

std::mutex InstalledLock;
std::shared_ptr<TRegistryStore> Installed;

// Runs `call` on the installed store's workings, or answers ERROR_BADDB without one.
template <typename Call>
LSTATUS WithStore(Call&& call) {
    const auto store = InstalledRegistryStore();
    return store ? call(store->Impl()) : ERROR_BADDB;
}

} // namespace

void InstallRegistryStore(std::shared_ptr<TRegistryStore> store) {
    const std::lock_guard lock(InstalledLock);
    Installed = std::move(store);
}

std::shared_ptr<TRegistryStore> InstalledRegistryStore() {
    const std::lock_guard lock(InstalledLock);
    return Installed;
}

LSTATUS RegOpenKeyEx(HKEY key, std::string_view subKey, REGSAM access, HKEY* result) {
    return WithStore([&](auto& s) { return s.Open(key, subKey, access, false, result, nullptr); });
}

LSTATUS RegCreateKeyEx(HKEY key, std::string_view subKey, REGSAM access, HKEY* result,
                       bool* created) {
    return WithStore([&](auto& s) { return s.Open(key, subKey, access, true, result, created); });
}

LSTATUS RegCloseKey(HKEY key) {
    return WithStore([&](auto& s) { return s.Close(key); });
}

LSTATUS RegQueryValueEx(HKEY key, std::string_view name, DWORD* type, std::uint8_t* data,
                        DWORD* size) {
    return WithStore([&](auto& s) { return s.QueryValue(key, name, type, data, size); });
}

LSTATUS RegSetValueEx(HKEY key, std::string_view name, DWORD type, const std::uint8_t* data,
                      DWORD size) {
    return WithStore([&](auto& s) { return s.SetValue(key, name, type, data, size); });
}

LSTATUS RegDeleteValue(HKEY key, std::string_view name) {
    return WithStore([&](auto& s) { return s.DeleteValue(key, name); });
}

LSTATUS RegDeleteTree(HKEY key, std::string_view subKey) {
    return WithStore([&](auto& s) { return s.DeleteTree(key, subKey); });
}

LSTATUS RegEnumKeyEx(HKEY key, DWORD index, std::string* name) {
    return WithStore([&](auto& s) { return s.EnumKey(key, index, name); });
}

LSTATUS RegEnumValue(HKEY key, DWORD index, std::string* name, DWORD* type,
                     std::vector<std::uint8_t>* data) {
    return WithStore([&](auto& s) { return s.EnumValue(key, index, name, type, data); });
}

} // namespace vx::win
