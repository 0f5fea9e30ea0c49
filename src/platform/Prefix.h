#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

// The prefix: a small Windows machine in a folder, like a Wine prefix. It holds the hive
// files and the drives drive_c/ ... drive_z/.
namespace vx::win {

// VXTRAY_PREFIX when set, else $XDG_DATA_HOME/korvex-thornet-2/prefix (~/.local/share/...).
std::filesystem::path ResolvePrefixDir();

// The embedded default machine shipped next to the running executable (<exe dir>/prefix).
std::filesystem::path DefaultPrefixTemplate();

// Creates `prefixDir` as a copy of `templateDir` when it does not exist; an existing prefix is
// never touched. Returns true when it created it. Throws vx::Exception when it cannot.
bool EnsurePrefix(const std::filesystem::path& prefixDir, const std::filesystem::path& templateDir);

// Throws vx::Exception with a clear message unless `prefixDir` is an existing folder.
void RequirePrefix(const std::filesystem::path& prefixDir);

// The prefix this process runs on, set once at start-up (empty until then).
void SetCurrentPrefixDir(const std::filesystem::path& prefixDir);
std::filesystem::path CurrentPrefixDir();

// Maps a Windows path "X:\a\b" to <prefix>/drive_x/a/b. Each component that exists on disk
// is matched without regard to case; the rest are kept as written. Relative paths, UNC
// paths and paths that climb with ".." have no mapping.
std::optional<std::filesystem::path> MapWindowsPath(const std::filesystem::path& prefixDir,
                                                    std::string_view windowsPath);

} // namespace vx::win
