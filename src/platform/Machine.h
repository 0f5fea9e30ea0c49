#pragma once

#include <filesystem>

namespace vx::win {

// Opens the Windows machine this process runs on: resolves the prefix (ResolvePrefixDir),
// creates it from the embedded default when it is missing, installs its registry store for
// the Reg* calls and makes it the current prefix. Returns the prefix folder; throws
// vx::Exception when there is no usable prefix (nothing is installed then).
std::filesystem::path OpenMachine();

} // namespace vx::win
