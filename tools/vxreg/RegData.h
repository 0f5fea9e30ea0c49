#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vx::vxreg {

// reg.exe's name of a type number ("REG_SZ"); "REG_UNKNOWN" for numbers it has no name for.
std::string TypeName(win::DWORD type);

// The type number of a /t name that `add` accepts, or nothing.
std::optional<win::DWORD> ParseTypeName(const std::string& name);

// Data as reg.exe shows it: texts as stored (to their first NUL), REG_MULTI_SZ joined with
// "\0", numbers as 0x hex, everything else as upper-case hex bytes.
std::string FormatData(win::DWORD type, const std::vector<std::uint8_t>& data);

// The bytes of /d `text` for `type` (texts end with NUL; REG_MULTI_SZ splits at "\0";
// numbers are decimal or 0x hex; binary data is hex digits). Raises EUsage when `text` does
// not fit the type.
std::vector<std::uint8_t> EncodeData(win::DWORD type, const std::string& text);

} // namespace vx::vxreg
