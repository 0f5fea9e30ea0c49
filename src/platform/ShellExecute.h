#pragma once

#include <string>
#include <string_view>
#include <vector>

// ShellExecuteA with the default verb: starting a program and letting it go.
namespace vx::win {

inline constexpr int SW_SHOW = 5;

// Starts `file` (a path as LocalPath in Files.h takes it) with the arguments in `parameters`
// (SplitParameters), in the folder `directory` (same kind of path; empty: ours), and lets it
// go: it runs in a session of its own with default signal handling, nobody waits for it, and
// it is reaped when it ends. `showCommand` has no meaning here. True when the program was
// started; a file that cannot be run gives false and nothing else.
bool ShellExecute(std::string_view file, std::string_view parameters, std::string_view directory,
                  int showCommand);

// A parameter string split into arguments: blanks separate them, double quotes group blanks
// into one argument and are removed.
std::vector<std::string> SplitParameters(std::string_view parameters);

} // namespace vx::win
