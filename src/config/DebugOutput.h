#pragma once

#include <functional>
#include <string_view>

// The stand-in for the debugger output (OutputDebugStringA). Without a sink the text goes
// nowhere, as on Windows when no debugger listens; tests and diagnostics may install one.
namespace vx::config {

using TDebugOutputSink = std::function<void(std::string_view text)>;

// Installs `sink` (an empty function removes it) and returns the previous one.
TDebugOutputSink SetDebugOutputSink(TDebugOutputSink sink);
void OutputDebugString(std::string_view text);

} // namespace vx::config
