#pragma once

#include "config/RegAccessor.h"

#include <cstdint>
#include <string>

namespace vx::config {

// One-byte classification of a registry type number; 0 for a value that cannot be queried
// or an unknown type. Codes 6 and 14 (little-endian twins of 5 and 13) are never produced.
enum TValueKind : std::uint8_t {
    vkUnknown = 0,
    vkNone = 1,
    vkString = 2,
    vkExpandString = 3,
    vkBinary = 4,
    vkDWord = 5,
    vkDWordLittleEndian = 6,
    vkDWordBigEndian = 7,
    vkLink = 8,
    vkMultiString = 9,
    vkResourceList = 10,
    vkFullResourceDescriptor = 11,
    vkResourceRequirementsList = 12,
    vkQWord = 13,
    vkQWordLittleEndian = 14,
};

TValueKind ValueKindOfType(win::DWORD type);

// The view-aware accessor: reads in the 32-bit view (the process's own) or the native
// 64-bit view, chosen with SetBits.
class TMyRegistry : public TRegistry {
public:
    TMyRegistry() = default;

    // 32 or 64; any other value raises ERegistryException and changes nothing.
    virtual void SetBits(std::uint8_t bits);
    std::uint8_t Bits() const { return FBits; }
    std::uint8_t View() const { return FView; }
    win::LSTATUS LastError() const { return FLastError; }

    // Opens `key` with the weakest read access that succeeds, in the chosen view, and makes
    // it the current key. FLastError holds the result of the last attempt.
    bool OpenKeyForReading(const std::string& key);
    // Whether `key` opens for reading in the chosen view; the current key stays as it is.
    bool KeyExistsInView(const std::string& key);
    TValueKind GetValueKind(const std::string& name) const;
    // Text of a REG_SZ or REG_EXPAND_SZ value up to its first NUL, never expanded.
    std::string ReadStringValue(const std::string& name) const;
    // The strings of a REG_MULTI_SZ value, each ended by CR LF (win::MultiStringLines); a value
    // of another kind raises ERegistryException.
    std::string ReadMultiStringValue(const std::string& name) const;

private:
    // KEY_WOW64_64KEY when the 64-bit view is chosen.
    win::REGSAM ViewFlag() const;

    std::uint8_t FBits = 32;
    std::uint8_t FView = 0;
    win::LSTATUS FLastError = win::ERROR_SUCCESS;
};

} // namespace vx::config
