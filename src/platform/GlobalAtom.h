#pragma once

#include <cstdint>
#include <string_view>

// Global atoms, the stand-in for the window station's atom table that the suite's processes
// use as advisory locks between each other. An atom is seen by every process on the same
// prefix: each reference is a file `<name>@<pid>-<serial>` in `<prefix>/atoms/` (the name
// folded to lower case, since atom names are compared without regard to case, and escaped).
// A reference whose process has ended no longer counts and is removed when next seen, so a
// crashed holder cannot keep an atom alive the way a Windows session's end would not let it.
namespace vx::win {

using ATOM = std::uint16_t;

// Adds a reference to the atom `name`, creating it when it does not exist. Returns the atom,
// or 0 when no prefix is set, the name is empty or longer than 255 characters, or the
// reference cannot be written.
ATOM GlobalAddAtomA(std::string_view name);

// The atom `name` when some living process holds a reference to it, else 0.
ATOM GlobalFindAtomA(std::string_view name);

// Drops one reference this process added to `atom`. Returns 0 on success and `atom` itself
// when this process holds no reference to it, as Windows does.
ATOM GlobalDeleteAtom(ATOM atom);

} // namespace vx::win
