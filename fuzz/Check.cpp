#include "fuzz/Check.h"

#include <cstdio>
#include <cstdlib>

namespace vx::fuzz {

void Fail(std::string_view what) {
    std::fprintf(stderr, "fuzz check failed: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

} // namespace vx::fuzz
