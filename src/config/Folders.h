#pragma once

#include <string>

// The Windows, system, special and control-panel folders of this machine, as Windows paths.
namespace vx::config {

// C:\Windows
std::string GetWindowsFolder();
// C:\Windows\System32
std::string GetSystemFolder();

// The shell's answer for `csidl` (GetShellFolder); when it has none, the registry or folder
// fallback of the identifier, else empty. Registry errors reach the caller.
std::string GetSpecialFolder(int csidl);

// `windowsFolder` + "\" + the control panel's display name from its class key (32-bit view,
// then 64-bit view, "Systemsteuerung" when neither names it). `prefix` goes in front of the
// key's "Software\"; empty in this system. Never raises.
std::string GetControlPanelFolder(const std::string& prefix, const std::string& windowsFolder);

} // namespace vx::config
