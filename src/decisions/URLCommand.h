#pragma once

#include "decisions/KeyValueLines.h"

#include <cstdint>
#include <string>

namespace vx::decisions {

// `command` := the text before the first "?" (all of `text` without one); `params` := the text
// after it split at every "&", one field per line, nothing trimmed, no quoting: an empty field
// gives an empty line, a trailing "&" a final empty line. Nothing after the "?" gives no field.
void SplitURLCommand(const std::string& text, std::string& command, TStrings& params);

// Decodes by byte value, not left to right: for V from 10 to 255 in ascending order, every
// "%" followed by the upper-case digits of V, then every "%" followed by the lower-case
// digits, becomes the byte V (each a non-overlapping replacement from the left). So %00 to
// %09 and mixed-case escapes stay, "+" stays, %2541 becomes A (0x25 makes %41, decoded later)
// and %2520 becomes %20 (0x20 has run by the time 0x25 makes it).
std::string URLDecode(const std::string& text);

// The two upper-case hexadecimal digits of `value`, high digit first.
std::string ByteToHex(std::uint8_t value);

// The lines of `text`, ending at CR LF, CR or LF; a final line break adds no empty line.
TStrings SplitTextLines(const std::string& text);

} // namespace vx::decisions
