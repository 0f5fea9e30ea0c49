#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace vx::win {

// Opens the Windows machine this process runs on: resolves the prefix (ResolvePrefixDir),
// creates it from the embedded default when it is missing, installs its registry store for
// the Reg* calls and makes it the current prefix. Returns the prefix folder; throws
// vx::Exception when there is no usable prefix (nothing is installed then).
std::filesystem::path OpenMachine();

// The same for a tool that works on the machine as it is: a missing prefix is an error (never
// created), the store's problems go to `onProblem`, and every hive is loaded at once, so that a
// hive that does not parse is told before anything reads or changes it.
std::filesystem::path OpenExistingMachine(const std::function<void(const std::string&)>& onProblem);

} // namespace vx::win
