#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <string_view>

// Version resources of PE files: the GetFileVersionInfoSizeA / GetFileVersionInfoA /
// VerQueryValueA(block, "\", ...) calls, on our PE reader (PeResources.h). File names are
// paths as FileExists (Files.h) takes them.
namespace vx::win {

struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};

inline constexpr DWORD VS_FFI_SIGNATURE = 0xFEEF04BDu;
// The resource identifier of a file's version information.
inline constexpr std::uint16_t VS_VERSION_INFO = 1;
// The root block's length is a 16-bit count, so no version block is larger.
inline constexpr DWORD MaxVersionInfoSize = 0xFFFF;

// The size of the file's version information; 0 when the file is missing, is no PE file or
// has no version resource.
DWORD GetFileVersionInfoSize(std::string_view fileName);

// Copies up to `size` bytes of the file's version information to `data`; false when there is
// none.
bool GetFileVersionInfo(std::string_view fileName, DWORD size, std::uint8_t* data);

// VerQueryValueA with the root block "\": the VS_FIXEDFILEINFO of the version block of `size`
// bytes at `block`. False when the block is too short for what it claims, is not a
// VS_VERSION_INFO block or has no fixed information with the right signature.
bool VerQueryFixedFileInfo(const std::uint8_t* block, DWORD size, VS_FIXEDFILEINFO& info);

} // namespace vx::win
