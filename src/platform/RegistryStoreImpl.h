#pragma once

#include "platform/RegHiveFile.h"
#include "platform/RegistryStore.h"

#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vx::win {

// The store's workings behind the Reg* calls: hive files, open handles, views and the merged
// HKEY_CLASSES_ROOT. One mutex serialises every call.
class TRegistryStore::TImpl {
public:
    TImpl(std::filesystem::path prefixDir, ProblemSink sink);

    LSTATUS Open(HKEY parent, std::string_view subKey, REGSAM access, bool create, HKEY* result,
                 bool* created);
    LSTATUS Close(HKEY key);
    LSTATUS QueryValue(HKEY key, std::string_view name, DWORD* type, std::uint8_t* data,
                       DWORD* size);
    LSTATUS SetValue(HKEY key, std::string_view name, DWORD type, const std::uint8_t* data,
                     DWORD size);
    LSTATUS DeleteValue(HKEY key, std::string_view name);
    LSTATUS DeleteTree(HKEY key, std::string_view subKey);
    LSTATUS EnumKey(HKEY key, DWORD index, std::string* name);
    LSTATUS EnumValue(HKEY key, DWORD index, std::string* name, DWORD* type,
                      std::vector<std::uint8_t>* data);

    void Restrict(HKEY root, const std::string& path, REGSAM allowed);
    std::vector<std::string> Problems() const;
    const std::filesystem::path& PrefixDir() const { return FPrefixDir; }

private:
    struct TOpenKey {
        HKEY Root = 0;
        std::vector<std::string> Path;
        REGSAM Granted = 0;
        bool View64 = false;
    };
    // Where a logical key lives: a hive and the path inside it.
    struct TLocation {
        THiveFile* Hive = nullptr;
        std::vector<std::string> Path;
        const TRegKey* Find() const { return Hive->Root().Walk(Path); }
    };

    // Every call's start: takes the store's lock, resolves `handle` and checks that it was
    // opened with all of `rights`, then runs `body(openKey)` under the lock and answers what
    // it answers; ERROR_INVALID_HANDLE or ERROR_ACCESS_DENIED without running it.
    template <class Body>
    LSTATUS WithKey(HKEY handle, REGSAM rights, Body&& body);
    LSTATUS OpenBelow(const TOpenKey& base, std::string_view subKey, REGSAM access, bool create,
                      HKEY* result, bool* created);

    void Report(const std::string& message);
    // Looks for changes of the hive files that keys below `root` live in.
    void Refresh(HKEY root);
    std::optional<TOpenKey> Resolve(HKEY key) const;
    bool IsUsersRoot(const TOpenKey& key) const;
    std::vector<std::string> Redirect(const std::vector<std::string>& path, bool view64) const;
    // Read locations in order of precedence (two for HKEY_CLASSES_ROOT).
    std::vector<TLocation> Locate(const TOpenKey& key);
    // Where a write to an existing or new key goes; none for keys that cannot be written.
    std::optional<TLocation> WriteTarget(const TOpenKey& key);
    bool Exists(const TOpenKey& key);
    LSTATUS CheckAccess(const TOpenKey& key, REGSAM rights);
    std::string RestrictionKey(HKEY root, const std::vector<std::string>& path) const;

    std::filesystem::path FPrefixDir;
    ProblemSink FSink;
    mutable std::mutex FMutex;
    std::vector<std::string> FProblems;
    THiveFile FMachine;
    THiveFile FUser;
    THiveFile FDefaultUser;
    std::map<HKEY, TOpenKey> FHandles;
    std::unordered_map<std::string, REGSAM> FRestrictions;
};

} // namespace vx::win
