#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vx::config {

// Reads one value from a list of roots and key paths in the process's default view. Every
// location is visited, roots from the last added to the first, and every hit overwrites the
// result, so the first root added has the highest priority; within a root the last key path
// (and for HKEY_USERS the last hive of UserHives) wins.
class TMultiConfigReader {
public:
    // Appends a root key; returns its position.
    std::size_t AddRoot(win::HKEY root);
    std::size_t RootCount() const { return FRoots.size(); }
    // Appends a key path; each begins with a backslash (absolute below its root).
    void AddKeyPath(const std::string& keyPath);

    // A REG_DWORD value as a signed 32-bit number; `value` untouched when no location has one.
    bool ReadInteger(const std::string& valueName, std::int32_t& value) const;
    // A REG_SZ value up to its first NUL; `value` untouched when no location has one.
    bool ReadString(const std::string& valueName, std::string& value) const;

private:
    // Visits every location in search order; `read` is called with each opened location's
    // accessor and reports whether it took the value.
    template <typename TRead>
    bool Search(TRead read) const;

    std::vector<std::string> FKeyPaths;
    std::vector<win::HKEY> FRoots;
};

bool MultiReadInteger(const std::vector<win::HKEY>& roots, const std::vector<std::string>& keyPaths,
                      const std::string& valueName, std::int32_t& value);
bool MultiReadString(const std::vector<win::HKEY>& roots, const std::vector<std::string>& keyPaths,
                     const std::string& valueName, std::string& value);

// The names of the subkeys of HKEY_USERS, gathered once at start-up by InitUserHives (empty
// when HKEY_USERS cannot be opened) and released at shutdown by FreeUserHives.
void InitUserHives();
void FreeUserHives();
const std::vector<std::string>& UserHives();

} // namespace vx::config
