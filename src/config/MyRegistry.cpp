#include "config/MyRegistry.h"

#include "config/RegTexts.h"
#include "platform/RegMultiString.h"
#include "platform/Registry.h"

#include <vector>

namespace vx::config {

using namespace vx::win;

TValueKind ValueKindOfType(DWORD type) {
    switch (type) {
    case REG_NONE:
        return vkNone;
    case REG_SZ:
        return vkString;
    case REG_EXPAND_SZ:
        return vkExpandString;
    case REG_BINARY:
        return vkBinary;
    case REG_DWORD:
        return vkDWord;
    case REG_DWORD_BIG_ENDIAN:
        return vkDWordBigEndian;
    case REG_LINK:
        return vkLink;
    case REG_MULTI_SZ:
        return vkMultiString;
    case REG_RESOURCE_LIST:
        return vkResourceList;
    case REG_FULL_RESOURCE_DESCRIPTOR:
        return vkFullResourceDescriptor;
    case REG_RESOURCE_REQUIREMENTS_LIST:
        return vkResourceRequirementsList;
    case REG_QWORD:
        return vkQWord;
    default:
        return vkUnknown;
    }
}

void TMyRegistry::SetBits(std::uint8_t bits) {
    if (bits != 32 && bits != 64) {
        throw ERegistryException(texts::UnsupportedBits);
    }
    FBits = bits;
    if (bits == 32) {
        // The 32-bit view is the process's own: KEY_WOW64_32KEY is not needed.
        SetAccess(Access() & ~KEY_WOW64_64KEY);
        FView = 1;
    } else {
        SetAccess((Access() & ~KEY_WOW64_32KEY) | KEY_WOW64_64KEY);
        FView = 2;
    }
}

REGSAM TMyRegistry::ViewFlag() const {
    return FBits == 64 ? KEY_WOW64_64KEY : 0;
}

bool TMyRegistry::OpenKeyForReading(const std::string& key) {
    return OpenReadOnlyWith(key, (Access() & KEY_WOW64_RES) | ViewFlag(), &FLastError);
}

bool TMyRegistry::KeyExistsInView(const std::string& key) {
    const REGSAM access =
        (Access() & KEY_WOW64_RES) | READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
    HKEY opened = 0;
    if (OpenUnder(key, access | ViewFlag(), &opened) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(opened);
    return true;
}

TValueKind TMyRegistry::GetValueKind(const std::string& name) const {
    DWORD type = REG_NONE;
    if (!GetDataInfo(name, &type, nullptr)) {
        return vkUnknown;
    }
    return ValueKindOfType(type);
}

std::string TMyRegistry::ReadStringValue(const std::string& name) const {
    // Room for the text twice over and a terminating NUL, as for a conversion from UTF-16.
    const std::int64_t n = 2 * GetDataSize(name) + 1;
    if (n <= 0) {
        return {};
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(n), 0);
    DWORD size = static_cast<DWORD>(n);
    GetData(name, buffer.data(), &size);
    // The buffer is one byte longer than any data read, so a NUL always ends the text.
    return std::string(reinterpret_cast<const char*>(buffer.data()));
}

std::string TMyRegistry::ReadMultiStringValue(const std::string& name) const {
    const std::int64_t n = GetDataSize(name);
    if (n <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(n), '\0');
    DWORD size = static_cast<DWORD>(n);
    const DWORD type = GetData(name, reinterpret_cast<std::uint8_t*>(text.data()), &size);
    text.resize(size);
    if (ValueKindOfType(type) != vkMultiString) {
        throw ERegistryException(FormatValueMessage(texts::InvalidDataType, name));
    }
    return MultiStringLines(text);
}

} // namespace vx::config
