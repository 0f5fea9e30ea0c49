#include "config/RegAccessor.h"

#include "config/RegTexts.h"
#include "platform/Registry.h"

#include <array>
#include <utility>

namespace vx::config {

using namespace vx::win;

namespace {

// The read masks tried in turn: KEY_READ, standard read rights with query and enumerate, query.
constexpr std::array<REGSAM, 3> ReadMasks = {
    KEY_READ, READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, KEY_QUERY_VALUE};

bool IsAbsolute(const std::string& key) {
    return !key.empty() && key.front() == '\\';
}

// The subkey text handed to the registry: no leading backslash, no trailing ones.
std::string SubKeyText(const std::string& key) {
    std::string::size_type begin = IsAbsolute(key) ? 1 : 0;
    std::string::size_type end = key.size();
    while (end > begin && key[end - 1] == '\\') {
        --end;
    }
    return key.substr(begin, end - begin);
}

} // namespace

std::string FormatValueMessage(const char* pattern, const std::string& name) {
    std::string message = pattern;
    const auto at = message.find("%s");
    if (at != std::string::npos) {
        message.replace(at, 2, name);
    }
    return message;
}

TRegistry::TRegistry() : FRootKey(HKEY_CURRENT_USER), FAccess(KEY_ALL_ACCESS) {}

TRegistry::~TRegistry() {
    CloseKey();
}

void TRegistry::SetRootKey(HKEY root) {
    if (root != FRootKey) {
        CloseKey();
        FRootKey = root;
    }
}

void TRegistry::CloseKey() {
    FCurrentKey.Reset();
    FCurrentPath.clear();
}

LSTATUS TRegistry::OpenUnder(const std::string& key, REGSAM access, HKEY* result) const {
    const HKEY base = (!IsAbsolute(key) && FCurrentKey) ? FCurrentKey.Get() : FRootKey;
    return RegOpenKeyEx(base, SubKeyText(key), access, result);
}

bool TRegistry::OpenReadOnlyWith(const std::string& key, REGSAM extraAccess, LSTATUS* lastError) {
    for (const REGSAM mask : ReadMasks) {
        HKEY opened = 0;
        const LSTATUS status = OpenUnder(key, mask | extraAccess, &opened);
        if (lastError != nullptr) {
            *lastError = status;
        }
        if (status == ERROR_SUCCESS) {
            MakeCurrent(opened, key);
            return true;
        }
        // Only a refusal can be cured by asking for less; a missing key stays missing.
        if (status != ERROR_ACCESS_DENIED) {
            return false;
        }
    }
    return false;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
    return OpenReadOnlyWith(key, FAccess & KEY_WOW64_RES, nullptr);
}

void TRegistry::MakeCurrent(HKEY key, const std::string& keyText) {
    std::string path;
    if (!IsAbsolute(keyText) && FCurrentKey) {
        path = FCurrentPath + "\\" + keyText;
    } else {
        path = IsAbsolute(keyText) ? keyText.substr(1) : keyText;
    }
    FCurrentKey = win::TKeyHandle(key);
    FCurrentPath = std::move(path);
}

bool TRegistry::GetDataInfo(const std::string& name, DWORD* type, DWORD* size) const {
    if (!FCurrentKey) {
        return false;
    }
    DWORD valueType = REG_NONE;
    DWORD valueSize = 0;
    if (RegQueryValueEx(FCurrentKey.Get(), name, &valueType, nullptr, &valueSize) !=
        ERROR_SUCCESS) {
        return false;
    }
    if (type != nullptr) {
        *type = valueType;
    }
    if (size != nullptr) {
        *size = valueSize;
    }
    return true;
}

std::int64_t TRegistry::GetDataSize(const std::string& name) const {
    DWORD size = 0;
    return GetDataInfo(name, nullptr, &size) ? static_cast<std::int64_t>(size) : -1;
}

DWORD TRegistry::GetData(const std::string& name, std::uint8_t* buffer, DWORD* size) const {
    DWORD type = REG_NONE;
    if (!FCurrentKey ||
        RegQueryValueEx(FCurrentKey.Get(), name, &type, buffer, size) != ERROR_SUCCESS) {
        throw ERegistryException(FormatValueMessage(texts::FailedToGetData, name));
    }
    return type;
}

std::int32_t TRegistry::ReadInteger(const std::string& name) const {
    // A short REG_DWORD reads as its bytes, zero-extended; a longer one cannot be read.
    DWORD type = REG_NONE;
    if (!GetDataInfo(name, &type, nullptr)) {
        throw ERegistryException(FormatValueMessage(texts::FailedToGetData, name));
    }
    if (type != REG_DWORD) {
        throw ERegistryException(FormatValueMessage(texts::InvalidDataType, name));
    }
    std::array<std::uint8_t, 4> bytes{};
    DWORD size = bytes.size();
    if (GetData(name, bytes.data(), &size) != REG_DWORD) {
        throw ERegistryException(FormatValueMessage(texts::InvalidDataType, name));
    }
    const std::uint32_t raw =
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<std::int32_t>(raw);
}

std::vector<std::string> TRegistry::GetKeyNames() const {
    std::vector<std::string> names;
    if (!FCurrentKey) {
        return names;
    }
    std::string name;
    for (DWORD index = 0; RegEnumKeyEx(FCurrentKey.Get(), index, &name) == ERROR_SUCCESS; ++index) {
        names.push_back(name);
    }
    return names;
}

} // namespace vx::config
