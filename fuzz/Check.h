#pragma once

#include <string_view>

namespace vx::fuzz {

// Reports a failed check of a fuzz target and aborts, which libFuzzer records as a crash and
// saves with the input that caused it.
[[noreturn]] void Fail(std::string_view what);

} // namespace vx::fuzz
