#pragma once

#include <string>

// The machine key: the process-wide byte string from which integrity tokens are made. It is
// set once at start-up, before any service listens, and cleared at shutdown.
namespace vx::httpservice {

// The key used when the product ID exists but cannot be read.
inline constexpr const char* FallbackMachineId = "FallbackMachineId";

// Sets the machine key from the Windows product ID of the installed registry store:
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion, value "ProductId", in the
// process's own (32-bit) view, read as the registry layer's RegReadString reads it: a REG_SZ or
// REG_EXPAND_SZ value gives its text (not expanded), a REG_MULTI_SZ value its strings as CR LF
// lines (win::MultiStringLines). A key that cannot be opened, a missing value or one of another
// kind gives the empty key; a value whose data cannot be read gives FallbackMachineId. Nothing
// is reported.
void InitMachineKey();

std::string MachineKey();
void SetMachineKey(std::string key);
void ClearMachineKey();

} // namespace vx::httpservice
