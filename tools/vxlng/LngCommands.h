#pragma once

#include <ostream>
#include <string>

// The commands of vxlng. Each raises vx::Exception with the message for the user when a file
// cannot be read or written.
namespace vx::vxlng {

// Writes the compressed form of the text in `plainPath` to `lngPath`.
void Pack(const std::string& plainPath, const std::string& lngPath);

// Writes the text of the language file `lngPath` (either form) to `plainPath`.
void Unpack(const std::string& lngPath, const std::string& plainPath);

// Reports on `out` what a translator reads from `path`: each section with its key count, the
// lines without "=" (never found as keys), keys that occur again and sections that occur again
// (the first wins). Returns the number of such findings.
int Check(const std::string& path, std::ostream& out);

} // namespace vx::vxlng
