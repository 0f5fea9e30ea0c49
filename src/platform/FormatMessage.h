#pragma once

#include "platform/WinTypes.h"

#include <string>

namespace vx::win {

// The system message table of FormatMessageA (language neutral, no inserts), reduced to the
// codes this program can produce: its own Win32 results and the WinINet codes of the HTTP client.
// Texts are the Windows ones, with the line break Windows ends them with.
// Returns false and leaves `text` untouched when the table has no text for `code`.
bool FormatSystemMessage(DWORD code, std::string& text);

} // namespace vx::win
