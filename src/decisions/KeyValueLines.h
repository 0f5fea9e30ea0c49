#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vx::decisions {

// A list of text lines; whoever sends them as text ends each with CR LF.
using TStrings = std::vector<std::string>;

// Key=value lines: the name is the text before the first "=", the value all after it, nothing
// trimmed. A name is looked up without regard to ASCII letter case; the first line wins.

// True when a line with that name exists (its value may be empty).
bool HasKey(const TStrings& lines, std::string_view name);
// The value of the first line with that name; empty when there is none.
std::string ValueOf(const TStrings& lines, std::string_view name);

// The lines as one text, each followed by CR LF.
std::string LinesAsText(const TStrings& lines);

} // namespace vx::decisions
