#pragma once

#include "platform/Exception.h"
#include "platform/Registry.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vx::config {

// Raised by the registry accessors when a value's data cannot be read or has the wrong type.
class ERegistryException : public vx::Exception {
public:
    using vx::Exception::Exception;
};

// The general registry accessor: a root key, at most one open current key and its path, and
// the access mask used when keys are opened. Key texts that begin with a backslash are
// absolute (below the root key); others are relative to the current key when one is open.
// Built on the Reg* calls of platform/Registry.h.
class TRegistry {
public:
    TRegistry();
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    win::HKEY RootKey() const { return FRootKey; }
    // Changing the root closes the current key.
    void SetRootKey(win::HKEY root);
    win::HKEY CurrentKey() const { return FCurrentKey.Get(); }
    const std::string& CurrentPath() const { return FCurrentPath; }
    win::REGSAM Access() const { return FAccess; }
    void SetAccess(win::REGSAM access) { FAccess = access; }

    // Opens `key` read-only with the weakest read access that succeeds (KEY_READ, then
    // standard read rights with query and enumerate, then query only), keeping the view bits
    // of the access mask, and makes it the current key.
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();

    // Type and size of a value of the current key; false when it cannot be queried.
    bool GetDataInfo(const std::string& name, win::DWORD* type, win::DWORD* size) const;
    // Size of a value's data, -1 when it cannot be queried.
    std::int64_t GetDataSize(const std::string& name) const;
    // The REG_DWORD value `name` as a signed 32-bit number; raises ERegistryException when it
    // cannot be read or is of another type.
    std::int32_t ReadInteger(const std::string& name) const;
    // Names of the subkeys of the current key, in the order the registry enumerates them.
    std::vector<std::string> GetKeyNames() const;

protected:
    // Tries the three read masks in turn, each combined with `extraAccess` (view bits);
    // `lastError`, when given, receives every attempt's result code.
    bool OpenReadOnlyWith(const std::string& key, win::REGSAM extraAccess, win::LSTATUS* lastError);
    // Opens `key` (absolute or relative) with `access` without making it current.
    win::LSTATUS OpenUnder(const std::string& key, win::REGSAM access, win::HKEY* result) const;
    // Reads up to `size` bytes of a value into `buffer`; raises "Failed to get data for '%s'".
    // Returns the value's type; `size` receives the number of bytes read.
    win::DWORD GetData(const std::string& name, std::uint8_t* buffer, win::DWORD* size) const;

private:
    void MakeCurrent(win::HKEY key, const std::string& keyText);

    win::HKEY FRootKey;
    win::TKeyHandle FCurrentKey;
    std::string FCurrentPath;
    win::REGSAM FAccess;
};

// Formats one of the accessor's messages ("... '%s'") with a value name.
std::string FormatValueMessage(const char* pattern, const std::string& name);

} // namespace vx::config
