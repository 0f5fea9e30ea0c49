#pragma once

#include <string>

namespace vx::vxlng {

// Writes to `path` a language file holding every translatable text of the tray's windows, menus
// and actions and of the dialog texts, under the sections and keys a load looks them up by,
// with their built-in English values. Builds the tray window offscreen, without its services.
// Raises vx::Exception when the file cannot be written.
void Template(const std::string& path);

} // namespace vx::vxlng
