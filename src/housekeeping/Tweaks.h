#pragma once

#include <cstdint>
#include <string>

// Tweaks: rarely changed tuning values of the suite, REG_DWORD values under
// HKEY_LOCAL_MACHINE\SOFTWARE\Qelvane Limited\Tweaks, optionally per executable.
namespace vx::housekeeping {

// The program whose own tweak key is read: the running executable's file name unless set. A
// tool that shows what the tray reads (vxpaths) names the tray; an empty name restores the
// running executable. Set before anything reads a tweak.
void SetTweakProgramName(const std::string& name);
std::string TweakProgramName();

// Reads the tweak `valueName`: first under the key named after TweakProgramName() below the
// tweaks key, then under the tweaks key itself, in the process's own registry
// view. Only REG_DWORD values count. True when one was found; `value` is untouched otherwise.
bool ReadTweakInteger(const std::string& valueName, std::int32_t& value);

// As ReadTweakInteger, keeping the low 8 bits of the number.
bool ReadTweakByte(const std::string& valueName, std::uint8_t& value);

} // namespace vx::housekeeping
