#pragma once

#include "platform/WinTypes.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vx::win {

// The registry of one prefix: HKEY_LOCAL_MACHINE in system.reg, HKEY_CURRENT_USER in
// user.reg and HKEY_USERS\.DEFAULT in userdef.reg, all in regedit's export format.
//
// Reads see changes other processes make to a hive file: its identity is checked whenever a
// key is opened and the file is loaded again when it changed. Writes go to the file at once,
// atomically, under an advisory lock, after re-reading it so that another writer's change is
// kept. A hive file without any write bit refuses writes with ERROR_ACCESS_DENIED; a hive
// file that does not parse is reported and never written during the run (ERROR_BADDB).
//
// The Reg* calls of Registry.h are the interface; this class adds what only set-up, tools
// and tests need. All members are thread-safe.
class TRegistryStore {
public:
    // The SID-like name under which HKEY_USERS shows the current user's hive.
    static constexpr const char* CurrentUserSid = "S-1-5-21-1000-1000-1000-1000";

    using ProblemSink = std::function<void(const std::string& message)>;

    // Loads the hives of `prefixDir` (missing hive files are empty hives). Problems, such as a
    // hive that does not parse, go to `sink` as "FILE:LINE: message" (default: standard error).
    explicit TRegistryStore(std::filesystem::path prefixDir, ProblemSink sink = {});
    ~TRegistryStore();
    TRegistryStore(const TRegistryStore&) = delete;
    TRegistryStore& operator=(const TRegistryStore&) = delete;

    const std::filesystem::path& PrefixDir() const;

    // Problems found so far, in order, each "FILE:LINE: message".
    std::vector<std::string> Problems() const;

    // Limits the rights that opening the key `path` (below predefined `root`, in the given
    // view) may request; a request for more gets ERROR_ACCESS_DENIED. Kept in memory only.
    void RestrictKeyAccess(HKEY root, const std::string& path, REGSAM allowed);

    class TImpl;
    TImpl& Impl() { return *FImpl; }

private:
    std::unique_ptr<TImpl> FImpl;
};

} // namespace vx::win
