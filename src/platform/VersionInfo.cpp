#include "platform/VersionInfo.h"

#include "platform/Files.h"
#include "platform/PeResources.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace vx::win {

namespace {

// The root block: wLength, wValueLength, wType, the key L"VS_VERSION_INFO" with its NUL, then
// padding to a 32-bit boundary and the fixed information.
constexpr std::size_t BlockHeaderSize = 6;
constexpr std::string_view RootKey{"VS_VERSION_INFO\0", 16}; // with the terminating NUL
constexpr std::size_t FixedInfoOffset =
    (BlockHeaderSize + 2 * RootKey.size() + 3) & ~std::size_t{3};
constexpr std::size_t FixedInfoSize = 13 * sizeof(DWORD);

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

DWORD U32(const std::uint8_t* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) |
           (static_cast<DWORD>(p[2]) << 16) | (static_cast<DWORD>(p[3]) << 24);
}

std::optional<std::vector<std::uint8_t>> ReadVersionResource(std::string_view fileName) {
    const auto local = LocalPath(fileName);
    if (!local) {
        return std::nullopt;
    }
    const TFileSource file(*local);
    if (!file.IsOpen()) {
        return std::nullopt;
    }
    return FindPeResource(file, RT_VERSION, VS_VERSION_INFO, MaxVersionInfoSize);
}

} // namespace

DWORD GetFileVersionInfoSize(std::string_view fileName) {
    const auto data = ReadVersionResource(fileName);
    return data ? static_cast<DWORD>(data->size()) : 0;
}

bool GetFileVersionInfo(std::string_view fileName, DWORD size, std::uint8_t* data) {
    const auto resource = ReadVersionResource(fileName);
    if (!resource || resource->empty()) {
        return false;
    }
    const std::size_t count = std::min<std::size_t>(size, resource->size());
    std::copy_n(resource->begin(), count, data);
    return true;
}

bool VerQueryFixedFileInfo(const std::uint8_t* block, DWORD size, VS_FIXEDFILEINFO& info) {
    if (block == nullptr || size < BlockHeaderSize) {
        return false;
    }
    // The block may claim less than the buffer holds, never more.
    const std::size_t length = std::min<std::size_t>(U16(block), size);
    const std::size_t valueLength = U16(block + 2);
    if (length < FixedInfoOffset + FixedInfoSize || valueLength < FixedInfoSize) {
        return false;
    }
    for (std::size_t i = 0; i < RootKey.size(); ++i) {
        if (U16(block + BlockHeaderSize + 2 * i) != static_cast<unsigned char>(RootKey[i])) {
            return false;
        }
    }
    std::array<DWORD, 13> fields{};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i] = U32(block + FixedInfoOffset + i * sizeof(DWORD));
    }
    if (fields[0] != VS_FFI_SIGNATURE) {
        return false;
    }
    static_assert(sizeof(VS_FIXEDFILEINFO) == sizeof(fields));
    std::memcpy(&info, fields.data(), sizeof info);
    return true;
}

} // namespace vx::win
