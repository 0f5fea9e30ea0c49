#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
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

} // namespace vx::win
