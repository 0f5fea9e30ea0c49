#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <string>

// Single registry reads that name the view. Each call uses an accessor of its own, so the
// calls share no state.
namespace vx::config {

// Reads the text value `valueName` (empty: the key's default value) of `key` below `rootKey`
// in the view `bits` (32: the process's own, redirected view; 64: the native view).
// REG_SZ and REG_EXPAND_SZ give their text unexpanded, REG_MULTI_SZ its strings as CR LF
// lines. Returns false and leaves `value` untouched when the key or a text value is missing.
// Raises ERegistryException for a `bits` other than 32 or 64 and for data that cannot be read.
bool RegReadString(win::HKEY rootKey, const std::string& key, const std::string& valueName,
                   std::uint8_t bits, std::string& value);

// Reads a REG_DWORD value, in the process's own view, as a signed 32-bit number. Returns false
// and leaves `value` untouched when the key or a REG_DWORD value is missing.
bool RegReadInteger(win::HKEY rootKey, const std::string& key, const std::string& valueName,
                    std::int32_t& value);

// Whether `key` opens for reading; `viewSelector` 0 = 32-bit view, 1 = 64-bit view, any other
// value = no explicit choice. Never raises.
bool RegKeyExists(win::HKEY rootKey, const std::string& key, std::uint8_t viewSelector);

} // namespace vx::config
