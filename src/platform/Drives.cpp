#include "platform/Drives.h"

#include "platform/Prefix.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"

#include <array>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

namespace vx::win {

namespace {

namespace fs = std::filesystem;

constexpr int DriveCount = 26;
constexpr const char* DrivesKey = "Software\\Wine\\Drives";
constexpr const char* LabelFile = ".windows-label";
constexpr const char* SerialFile = ".windows-serial";
// Longer files are no label or serial of a drive.
constexpr std::streamsize MaxVolumeFile = 256;

// The drive index (0 for A) of a root path, or nothing when it names no drive.
std::optional<int> DriveIndex(std::string_view root) {
    if (root.empty() || std::isalpha(static_cast<unsigned char>(root[0])) == 0) {
        return std::nullopt;
    }
    const std::string_view rest = root.substr(1);
    if (!rest.empty() && rest != ":" && rest != ":\\" && rest != ":/") {
        return std::nullopt;
    }
    return std::tolower(static_cast<unsigned char>(root[0])) - 'a';
}

std::optional<fs::path> DriveFolder(int index) {
    const fs::path prefix = CurrentPrefixDir();
    if (prefix.empty()) {
        return std::nullopt;
    }
    fs::path folder = prefix / ("drive_" + std::string(1, static_cast<char>('a' + index)));
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return std::nullopt;
    }
    return folder;
}

// The drive's type as the prefix's registry names it, or nothing.
std::optional<std::string> DriveTypeName(int index) {
    TKeyHandle key;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, DrivesKey, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::string name = std::string(1, static_cast<char>('a' + index)) + ":";
    std::array<std::uint8_t, 64> data{};
    DWORD type = 0;
    auto size = static_cast<DWORD>(data.size());
    if (RegQueryValueEx(key.Get(), name, &type, data.data(), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::string text(reinterpret_cast<const char*>(data.data()), size);
    return text.substr(0, text.find('\0'));
}

std::optional<std::string> ReadSmallFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string text(MaxVolumeFile, '\0');
    file.read(text.data(), MaxVolumeFile);
    text.resize(static_cast<std::size_t>(file.gcount()));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

} // namespace

DWORD GetLogicalDrives() {
    DWORD drives = 0;
    for (int index = 0; index < DriveCount; ++index) {
        if (DriveFolder(index)) {
            drives |= DWORD{1} << index;
        }
    }
    return drives;
}

UINT GetDriveTypeA(std::string_view rootPathName) {
    const std::optional<int> index = DriveIndex(rootPathName);
    if (!index || !DriveFolder(*index)) {
        return DRIVE_NO_ROOT_DIR;
    }
    const std::optional<std::string> name = DriveTypeName(*index);
    if (!name || SameText(*name, "hd")) {
        return DRIVE_FIXED;
    }
    struct TKind {
        const char* Name;
        UINT Type;
    };
    static constexpr std::array<TKind, 4> kinds{{{"cdrom", DRIVE_CDROM},
                                                 {"floppy", DRIVE_REMOVABLE},
                                                 {"network", DRIVE_REMOTE},
                                                 {"ramdisk", DRIVE_RAMDISK}}};
    for (const TKind& kind : kinds) {
        if (SameText(*name, kind.Name)) {
            return kind.Type;
        }
    }
    return DRIVE_UNKNOWN;
}

bool GetVolumeInformationA(std::string_view rootPathName, std::string& volumeName,
                           DWORD& volumeSerialNumber) {
    const std::optional<int> index = DriveIndex(rootPathName);
    const std::optional<fs::path> folder = index ? DriveFolder(*index) : std::nullopt;
    if (!folder) {
        return false;
    }
    volumeName = ReadSmallFile(*folder / LabelFile).value_or("");
    volumeSerialNumber = 0;
    if (const std::optional<std::string> serial = ReadSmallFile(*folder / SerialFile)) {
        // Eight hexadecimal digits at most; anything else is no serial.
        std::uint64_t number = 0;
        const char* end = serial->data() + serial->size();
        const auto [last, error] = std::from_chars(serial->data(), end, number, 16);
        if (error == std::errc() && last == end && number <= 0xFFFFFFFFU) {
            volumeSerialNumber = static_cast<DWORD>(number);
        }
    }
    return true;
}

} // namespace vx::win
