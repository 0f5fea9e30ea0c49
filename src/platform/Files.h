#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Where the files a path of this program names really are. The program sees two kinds of
// paths: Windows paths "X:\a\b" (from the registry and the suite's configuration), which lie in
// the current prefix's drives, and the POSIX paths of its own installation folder.
namespace vx::win {

// The local file `path` names: a Windows drive path through the current prefix
// (MapWindowsPath), an absolute POSIX path as it is. Relative paths, UNC paths and Windows
// paths while no prefix is set name nothing.
std::optional<std::filesystem::path> LocalPath(std::string_view path);

// GetFileAttributesA succeeds and does not report a directory: something that is not a
// folder exists at `path` (symbolic links followed).
bool FileExists(std::string_view path);

// The folder of the running executable with a trailing path delimiter (GetModuleFileNameA's
// folder); the current directory when /proc/self/exe cannot be read.
std::string ExecutableFolder();
// The file name of the running executable without its folder (GetModuleFileNameA's file
// part); empty when /proc/self/exe cannot be read.
std::string ExecutableFileName();

} // namespace vx::win
