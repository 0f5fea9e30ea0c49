#pragma once

#include "platform/Drives.h"

#include <cstdint>
#include <string>
#include <vector>

// The start-up volume scan: the present drives from the tweak "FloppyVolumeInformation" (the
// first drive's index, 0 = A; 2 = C when absent; the low 8 bits count) up to Z, each with
// its type and volume information. Nothing in the tray reads the result after start-up.
namespace vx::housekeeping {

inline constexpr std::uint8_t DefaultFirstScannedDrive = 2;

struct TVolumeInformation {
    char Letter = 0;
    win::UINT DriveType = win::DRIVE_UNKNOWN;
    bool VolumeRead = false; // GetVolumeInformationA succeeded
    std::string VolumeName;
    win::DWORD SerialNumber = 0;
};

// The present drives from `firstDrive` (0 = A) up to Z; none above 25.
std::vector<TVolumeInformation> ScanVolumes(std::uint8_t firstDrive);

// Start-up: reads the tweak and keeps the scan as the process-wide volume list; scanning
// again replaces it. Shutdown frees it.
void CreateVolumeList();
void FreeVolumeList();
// The first drive index the volume list was scanned from (the tweak as read, or its default).
std::uint8_t FirstScannedDrive();
// The volume list, or null outside start-up and shutdown.
const std::vector<TVolumeInformation>* VolumeList();

} // namespace vx::housekeeping
