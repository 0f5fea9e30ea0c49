#pragma once

#include "platform/WinTypes.h"

#include <string>
#include <string_view>

// The drives of the prefix, as kernel32 reports them: a letter is present when its drive_x
// folder exists. As in Wine's prefixes, a drive is a fixed disk unless the value named by its
// letter ("d:") under HKEY_LOCAL_MACHINE\Software\Wine\Drives says otherwise ("cdrom",
// "floppy", "network", "ramdisk", "hd"), and a volume's label and serial number are the files
// .windows-label and .windows-serial (hexadecimal) at the drive's root.
namespace vx::win {

inline constexpr UINT DRIVE_UNKNOWN = 0;
inline constexpr UINT DRIVE_NO_ROOT_DIR = 1;
inline constexpr UINT DRIVE_REMOVABLE = 2;
inline constexpr UINT DRIVE_FIXED = 3;
inline constexpr UINT DRIVE_REMOTE = 4;
inline constexpr UINT DRIVE_CDROM = 5;
inline constexpr UINT DRIVE_RAMDISK = 6;

// Bit n is set when drive 'A' + n is present in the current prefix; 0 without a prefix.
DWORD GetLogicalDrives();

// The type of the drive whose root is `rootPathName` ("C:\", "c:" or "C"): DRIVE_NO_ROOT_DIR
// for a drive that is not present or a root that names no drive.
UINT GetDriveTypeA(std::string_view rootPathName);

// The volume's label and serial number; false for a drive that is not present. A drive without
// the files has an empty label and serial 0.
bool GetVolumeInformationA(std::string_view rootPathName, std::string& volumeName,
                           DWORD& volumeSerialNumber);

} // namespace vx::win
