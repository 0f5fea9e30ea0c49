#pragma once

#include <filesystem>

namespace vx::test {

// Turns the prefix at `prefixDir` (a copy of the default machine, 32-bit Windows 10) into
// 64-bit Windows 10: the 32-bit view's Wow6432Node branch with the keys a real one has, where
// the program-files folders are the "(x86)" ones, the 64-bit branch's "(x86)" and W6432 values,
// and the folders C:\Program Files (x86) and C:\Windows\SysWOW64. The machine's folders only:
// the suite's own keys stay in the 64-bit branch. Appends to system.reg; install (or reload)
// the prefix afterwards. Raises vx::Exception when the prefix cannot be changed.
void MakeWindows64(const std::filesystem::path& prefixDir);

} // namespace vx::test
