#pragma once

#include "platform/RegHive.h"

#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace vx::win {

// One hive file on disk and its loaded tree. Not thread-safe: the store serialises calls.
class THiveFile {
public:
    using Reporter = std::function<void(const std::string& message)>;

    THiveFile(std::filesystem::path file, std::string rootPath, Reporter report);

    // Loads the file again when its identity (device, inode, size, modification time)
    // changed since the last look. A file that does not parse is reported once and marks
    // the hive broken; the last good tree stays readable.
    void Refresh();

    const TRegKey& Root() const { return FHive.Root; }
    bool Broken() const { return FBroken; }
    // No write bit on the file (or, for a missing file, on its folder).
    bool ReadOnly() const;

    // Re-reads the file under its advisory lock, applies `change` to the tree and, when it
    // succeeds, saves the file atomically. Returns a Win32 result code; on any failure the
    // file is unchanged.
    LSTATUS Modify(const std::function<LSTATUS(TRegKey& root)>& change);

    const std::filesystem::path& File() const { return FFile; }

private:
    struct TIdentity {
        bool Exists = false;
        dev_t Device = 0;
        ino_t Inode = 0;
        off_t Size = 0;
        long long ModifiedNs = 0;
        bool operator==(const TIdentity&) const = default;
    };

    static TIdentity IdentityOf(const struct stat& st);
    void Load(int fd, const TIdentity& identity);
    LSTATUS Save();

    std::filesystem::path FFile;
    std::string FRootPath;
    Reporter FReport;
    TRegHive FHive;
    TIdentity FIdentity;
    bool FLoadedOnce = false;
    bool FBroken = false;
};

} // namespace vx::win
