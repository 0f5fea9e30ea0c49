#pragma once

#include "config/PathPlaceholders.h"

#include <ostream>
#include <string>

// What vxpaths prints, in a layout scripts can read.
namespace vx::vxpaths {

// The lines of the list, one NAME=VALUE a line.
void PrintPlaceholders(const config::TPlaceholderList& list, std::ostream& out);
// "[index]", then each name on a line of its own followed by its values in set order, each
// indented by two blanks (an empty value as an indented empty line).
void PrintIndex(const config::TPlaceholderIndex& index, std::ostream& out);
// The values of one name, a line each; false when the index has no such name.
bool PrintSet(const config::TPlaceholderIndex& index, const std::string& name, std::ostream& out);

} // namespace vx::vxpaths
