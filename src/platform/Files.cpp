#include "platform/Files.h"

#include "platform/Prefix.h"

namespace vx::win {

namespace fs = std::filesystem;

namespace {

bool IsDrivePath(std::string_view path) {
    if (path.size() < 2 || path[1] != ':') {
        return false;
    }
    const char drive = path[0];
    return (drive >= 'a' && drive <= 'z') || (drive >= 'A' && drive <= 'Z');
}

} // namespace

std::optional<fs::path> LocalPath(std::string_view path) {
    if (IsDrivePath(path)) {
        const fs::path prefix = CurrentPrefixDir();
        if (prefix.empty()) {
            return std::nullopt;
        }
        return MapWindowsPath(prefix, path);
    }
    if (!path.empty() && path.front() == '/') {
        return fs::path(path);
    }
    return std::nullopt;
}

bool FileExists(std::string_view path) {
    const auto local = LocalPath(path);
    if (!local) {
        return false;
    }
    std::error_code ec;
    const fs::file_status status = fs::status(*local, ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

namespace {

// The running executable's path, or empty when it cannot be read.
fs::path ExecutablePath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe;
}

} // namespace

std::string ExecutableFolder() {
    const fs::path exe = ExecutablePath();
    std::error_code ec;
    const fs::path folder = exe.empty() ? fs::current_path(ec) : exe.parent_path();
    std::string text = folder.string();
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return text;
}

std::string ExecutableFileName() {
    return ExecutablePath().filename().string();
}

} // namespace vx::win
