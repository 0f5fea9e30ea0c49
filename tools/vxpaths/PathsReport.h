#pragma once

#include "config/PathPlaceholders.h"
#include "housekeeping/VolumeScan.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// What vxpaths prints, in a layout scripts can read.
namespace vx::vxpaths {

// The lines of the list, one NAME=VALUE a line.
void PrintPlaceholders(const config::TPlaceholderList& list, std::ostream& out);
// "[index]", then each name on a line of its own followed by its values in set order, each
// indented by two blanks (an empty value as an indented empty line).
void PrintIndex(const config::TPlaceholderIndex& index, std::ostream& out);
// The tweaks as start-up read them.
struct TTweaks {
    std::int32_t TempFolderCleanDelay;
    std::int32_t TempFolderCleanMinimum;
    std::uint8_t FloppyVolumeInformation;
};
// "[tweaks]", then NAME=VALUE for each.
void PrintTweaks(const TTweaks& tweaks, std::ostream& out);
// "[drives]", then a line per scanned drive: "C: fixed", followed by its label in quotes and its
// serial number (XXXX-XXXX) where the volume has them.
void PrintDrives(const std::vector<housekeeping::TVolumeInformation>& drives, std::ostream& out);

// The values of one name, a line each; false when the index has no such name.
bool PrintSet(const config::TPlaceholderIndex& index, const std::string& name, std::ostream& out);

} // namespace vx::vxpaths
