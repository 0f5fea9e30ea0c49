#include "platform/RegHiveFile.h"

#include "platform/RegFormat.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vx::win {

namespace {

constexpr LSTATUS ERROR_REGISTRY_IO_FAILED = 1016;

// Closes the descriptor when it goes out of scope.
class TFd {
public:
    explicit TFd(int fd) : FFd(fd) {}
    ~TFd() {
        if (FFd >= 0) {
            ::close(FFd);
        }
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return FFd; }

private:
    int FFd;
};

bool ReadAll(int fd, std::string& out) {
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) {
            return true;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

LSTATUS CodeForErrno(int error) {
    return (error == EACCES || error == EPERM || error == EROFS) ? ERROR_ACCESS_DENIED
                                                                 : ERROR_REGISTRY_IO_FAILED;
}

// A hidden file beside `file`: ".<name><suffix>".
std::filesystem::path SiblingPath(const std::filesystem::path& file, const std::string& suffix) {
    std::string name = ".";
    name += file.filename().string();
    name += suffix;
    return file.parent_path() / name;
}

bool HasWriteBit(const std::filesystem::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) != 0;
}

} // namespace

THiveFile::TIdentity THiveFile::IdentityOf(const struct stat& st) {
    return {true, st.st_dev, st.st_ino, st.st_size,
            st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec};
}

THiveFile::THiveFile(std::filesystem::path file, std::string rootPath, Reporter report)
    : FFile(std::move(file)), FRootPath(std::move(rootPath)), FReport(std::move(report)) {
    Refresh();
}

void THiveFile::Refresh() {
    // The cheap look first: one stat per key open while nothing changed.
    struct stat st {};
    if (FLoadedOnce && !FBroken) {
        const bool exists = ::stat(FFile.c_str(), &st) == 0;
        if (exists ? FIdentity == IdentityOf(st) : (errno == ENOENT && !FIdentity.Exists)) {
            return;
        }
    }
    const TFd fd(::open(FFile.c_str(), O_RDONLY | O_CLOEXEC));
    TIdentity identity;
    if (fd.Get() >= 0 && ::fstat(fd.Get(), &st) == 0) {
        identity = IdentityOf(st);
    } else if (fd.Get() < 0 && errno != ENOENT) {
        // A file that exists but cannot be read must not pass for an empty hive that a
        // write would then replace.
        if (!FBroken) {
            FReport(FFile.string() + ":0: cannot read the hive file: " + std::strerror(errno));
        }
        FBroken = true;
        FIdentity = {};
        return;
    }
    if (FLoadedOnce && identity == FIdentity) {
        return;
    }
    Load(fd.Get(), identity);
}

void THiveFile::Load(int fd, const TIdentity& identity) {
    FIdentity = identity;
    FLoadedOnce = true;
    if (!identity.Exists) {
        FHive = TRegHive{};
        FBroken = false;
        return;
    }
    std::string bytes;
    if (!ReadAll(fd, bytes)) {
        FReport(FFile.string() + ":0: cannot read the hive file: " + std::strerror(errno));
        FBroken = true;
        return;
    }
    try {
        FHive = ParseRegFile(bytes, FRootPath);
        FBroken = false;
    } catch (const ERegParse& e) {
        FReport(FFile.string() + ":" + std::to_string(e.Line()) + ": " + e.what());
        FBroken = true;
    }
}

bool THiveFile::ReadOnly() const {
    std::error_code ec;
    if (std::filesystem::exists(FFile, ec)) {
        return !HasWriteBit(FFile);
    }
    const auto folder = FFile.parent_path();
    return !HasWriteBit(folder) || ::access(folder.c_str(), W_OK) != 0;
}

LSTATUS THiveFile::Modify(const std::function<LSTATUS(TRegKey& root)>& change) {
    if (ReadOnly()) {
        return ERROR_ACCESS_DENIED;
    }
    const auto lockPath = SiblingPath(FFile, ".lock");
    const TFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (lock.Get() < 0) {
        return CodeForErrno(errno);
    }
    while (::flock(lock.Get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            return ERROR_REGISTRY_IO_FAILED;
        }
    }
    Refresh(); // another process may have written since we last looked
    if (FBroken) {
        return ERROR_BADDB;
    }
    if (ReadOnly()) {
        return ERROR_ACCESS_DENIED;
    }
    const LSTATUS status = change(FHive.Root);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const LSTATUS saved = Save();
    if (saved != ERROR_SUCCESS) {
        FLoadedOnce = false; // drop the unsaved change: the file is the truth
        Refresh();
    }
    return saved;
}

LSTATUS THiveFile::Save() {
    const std::string bytes = FormatRegFile(FHive, FRootPath);
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(FFile.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    }
    const auto temp = SiblingPath(FFile, ".tmp." + std::to_string(::getpid()));
    {
        const TFd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
        if (out.Get() < 0) {
            return CodeForErrno(errno);
        }
        if (!WriteAll(out.Get(), bytes) || ::fchmod(out.Get(), mode) != 0 ||
            ::fsync(out.Get()) != 0) {
            const int error = errno;
            ::unlink(temp.c_str());
            return CodeForErrno(error);
        }
    }
    if (::rename(temp.c_str(), FFile.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return CodeForErrno(error);
    }
    // The tree is what we just wrote: take the new file's identity without reading it back.
    if (::stat(FFile.c_str(), &st) == 0) {
        FIdentity = IdentityOf(st);
    }
    return ERROR_SUCCESS;
}

} // namespace vx::win
