#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The advapi32 registry calls, served by the process's registry store (RegistryStore.h).
// Names, arguments and result codes follow the Windows calls: a key path is relative to the
// given key, separated by backslashes and compared without regard to case; an empty value
// name is the key's default value. The view flags KEY_WOW64_64KEY / KEY_WOW64_32KEY choose
// the registry view as on 64-bit Windows (the process's own view is the 32-bit one).
// Without an installed store every call answers ERROR_BADDB.
namespace vx::win {

class TRegistryStore;

// Makes `store` the one the Reg* calls use (nullptr removes it). Handles opened on the
// previous store become invalid.
void InstallRegistryStore(std::shared_ptr<TRegistryStore> store);
std::shared_ptr<TRegistryStore> InstalledRegistryStore();

LSTATUS RegOpenKeyEx(HKEY key, std::string_view subKey, REGSAM access, HKEY* result);
// Opens or creates each missing component. `created` (optional) tells whether it was new.
LSTATUS RegCreateKeyEx(HKEY key, std::string_view subKey, REGSAM access, HKEY* result,
                       bool* created = nullptr);
LSTATUS RegCloseKey(HKEY key);

// As RegQueryValueExA: with `data` null only the type and size are reported; with a buffer
// smaller than the value, ERROR_MORE_DATA and the needed size in *size.
LSTATUS RegQueryValueEx(HKEY key, std::string_view name, DWORD* type, std::uint8_t* data,
                        DWORD* size);
LSTATUS RegSetValueEx(HKEY key, std::string_view name, DWORD type, const std::uint8_t* data,
                      DWORD size);
LSTATUS RegDeleteValue(HKEY key, std::string_view name);
// Deletes `subKey` of `key` with everything below it.
LSTATUS RegDeleteTree(HKEY key, std::string_view subKey);

// Enumeration in the order the keys and values stand in the hive.
LSTATUS RegEnumKeyEx(HKEY key, DWORD index, std::string* name);
LSTATUS RegEnumValue(HKEY key, DWORD index, std::string* name, DWORD* type,
                     std::vector<std::uint8_t>* data);

// An open key, closed when it goes (closing a predefined root does nothing). Move-only.
class TKeyHandle {
public:
    TKeyHandle() = default;
    explicit TKeyHandle(HKEY key) : FKey(key) {}
    ~TKeyHandle() { Reset(); }
    TKeyHandle(TKeyHandle&& other) noexcept : FKey(std::exchange(other.FKey, 0)) {}
    TKeyHandle& operator=(TKeyHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            FKey = std::exchange(other.FKey, 0);
        }
        return *this;
    }
    TKeyHandle(const TKeyHandle&) = delete;
    TKeyHandle& operator=(const TKeyHandle&) = delete;

    HKEY Get() const { return FKey; }
    explicit operator bool() const { return FKey != 0; }
    // Closes the key held, if any, and gives the place where an open call puts the new one:
    // RegOpenKeyEx(root, path, access, key.Receive()).
    HKEY* Receive() {
        Reset();
        return &FKey;
    }
    void Reset() {
        if (FKey != 0) {
            RegCloseKey(std::exchange(FKey, 0));
        }
    }

private:
    HKEY FKey = 0;
};

} // namespace vx::win
