#include "platform/Prefix.h"

#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/TextCodec.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

namespace vx::win {

namespace fs = std::filesystem;

namespace {

constexpr const char* PrefixVariable = "VXTRAY_PREFIX";
constexpr const char* PrefixSubfolder = "korvex-thornet-2/prefix";

std::mutex CurrentLock;
fs::path Current;

// The entry of `dir` whose name equals `name` without regard to case; `name` itself when
// there is none.
std::string MatchEntry(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    if (fs::exists(dir / name, ec)) {
        return name;
    }
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        auto entry = it->path().filename().string();
        if (SameText(entry, name)) {
            return entry;
        }
    }
    return name;
}

} // namespace

fs::path ResolvePrefixDir() {
    if (const char* explicitDir = std::getenv(PrefixVariable); explicitDir && *explicitDir) {
        return fs::path(explicitDir);
    }
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) {
        return fs::path(data) / PrefixSubfolder;
    }
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".local/share" / PrefixSubfolder;
}

fs::path DefaultPrefixTemplate() {
    return fs::path(ExecutableFolder()) / "prefix";
}

bool EnsurePrefix(const fs::path& prefixDir, const fs::path& templateDir) {
    std::error_code ec;
    if (fs::exists(prefixDir, ec)) {
        return false;
    }
    if (!fs::is_directory(templateDir, ec)) {
        throw Exception("the default prefix " + templateDir.string() + " is missing");
    }
    // Copy into a sibling first and rename, so that a half-made prefix never passes for one.
    const auto staging = prefixDir.string() + ".new." + std::to_string(::getpid());
    fs::create_directories(prefixDir.parent_path(), ec);
    fs::remove_all(staging, ec);
    fs::copy(templateDir, staging, fs::copy_options::recursive, ec);
    if (!ec) {
        fs::rename(staging, prefixDir, ec);
    }
    if (ec) {
        std::error_code ignored;
        fs::remove_all(staging, ignored);
        if (fs::exists(prefixDir, ignored)) {
            return false; // another process made it meanwhile
        }
        throw Exception("cannot create the prefix " + prefixDir.string() + ": " + ec.message());
    }
    return true;
}

void RequirePrefix(const fs::path& prefixDir) {
    std::error_code ec;
    if (!fs::is_directory(prefixDir, ec)) {
        throw Exception("the prefix folder " + prefixDir.string() + " does not exist (set " +
                        PrefixVariable + " to an existing prefix)");
    }
}

void SetCurrentPrefixDir(const fs::path& prefixDir) {
    const std::lock_guard lock(CurrentLock);
    Current = prefixDir;
}

fs::path CurrentPrefixDir() {
    const std::lock_guard lock(CurrentLock);
    return Current;
}

std::optional<fs::path> MapWindowsPath(const fs::path& prefixDir, std::string_view windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':') {
        return std::nullopt;
    }
    const char drive = windowsPath[0];
    const bool letter = (drive >= 'a' && drive <= 'z') || (drive >= 'A' && drive <= 'Z');
    if (!letter || (windowsPath.size() > 2 && windowsPath[2] != '\\' && windowsPath[2] != '/')) {
        return std::nullopt;
    }
    fs::path mapped = prefixDir / (std::string("drive_") + FoldCase(std::string(1, drive)));
    std::size_t start = 2;
    while (start < windowsPath.size()) {
        const std::size_t end =
            std::min(windowsPath.find_first_of("\\/", start), windowsPath.size());
        const std::string component(windowsPath.substr(start, end - start));
        start = end + 1;
        if (component.empty() || component == ".") {
            continue;
        }
        if (component == "..") {
            return std::nullopt;
        }
        mapped /= MatchEntry(mapped, component);
    }
    return mapped;
}

} // namespace vx::win
