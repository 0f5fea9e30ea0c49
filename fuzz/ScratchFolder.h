#pragma once

#include <filesystem>
#include <string_view>

// Files the fuzz targets hand to code that reads from disk.
namespace vx::fuzz {

// A folder of this process's own below the system's temporary folder (TMPDIR), made on the
// first call and removed with its contents when the process exits normally.
const std::filesystem::path& ScratchFolder();

// Writes `bytes` to `file`, replacing it; aborts when that fails, since a target that cannot
// write its input would otherwise report nothing.
void WriteScratchFile(const std::filesystem::path& file, std::string_view bytes);

} // namespace vx::fuzz
