#include "config/MultiConfigReader.h"

#include "config/RegAccessor.h"
#include "platform/Registry.h"

#include <array>
#include <memory>
#include <utility>

namespace vx::config {

using namespace vx::win;

namespace {

std::unique_ptr<std::vector<std::string>> TheUserHives;

// The value's data, or false when it cannot be read (it vanished or grew meanwhile).
bool QueryData(const TRegistry& registry, const std::string& name, DWORD expectedType,
               std::vector<std::uint8_t>& data) {
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (!registry.GetDataInfo(name, &type, &size) || type != expectedType) {
        return false;
    }
    data.assign(size, 0);
    return RegQueryValueEx(registry.CurrentKey(), name, &type, data.data(), &size) ==
               ERROR_SUCCESS &&
           type == expectedType;
}

} // namespace

std::size_t TMultiConfigReader::AddRoot(HKEY root) {
    FRoots.push_back(root);
    return FRoots.size() - 1;
}

void TMultiConfigReader::AddKeyPath(const std::string& keyPath) {
    FKeyPaths.push_back(keyPath);
}

template <typename TRead>
bool TMultiConfigReader::Search(TRead read) const {
    bool found = false;
    for (auto root = FRoots.rbegin(); root != FRoots.rend(); ++root) {
        std::vector<std::string> prefixes;
        if (*root == HKEY_USERS) {
            for (const std::string& hive : UserHives()) {
                prefixes.push_back("\\" + hive);
            }
        } else {
            prefixes.emplace_back();
        }
        for (const std::string& prefix : prefixes) {
            for (const std::string& keyPath : FKeyPaths) {
                TRegistry registry;
                registry.SetRootKey(*root);
                if (registry.OpenKeyReadOnly(prefix + keyPath) && read(registry)) {
                    found = true;
                }
            }
        }
    }
    return found;
}

bool TMultiConfigReader::ReadInteger(const std::string& valueName, std::int32_t& value) const {
    return Search([&](const TRegistry& registry) {
        std::vector<std::uint8_t> data;
        if (!QueryData(registry, valueName, REG_DWORD, data)) {
            return false;
        }
        // A short REG_DWORD reads as its bytes, zero-extended.
        std::array<std::uint8_t, 4> bytes{};
        for (std::size_t i = 0; i < bytes.size() && i < data.size(); ++i) {
            bytes[i] = data[i];
        }
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) |
                                          static_cast<std::uint32_t>(bytes[1]) << 8 |
                                          static_cast<std::uint32_t>(bytes[2]) << 16 |
                                          static_cast<std::uint32_t>(bytes[3]) << 24);
        return true;
    });
}

bool TMultiConfigReader::ReadString(const std::string& valueName, std::string& value) const {
    return Search([&](const TRegistry& registry) {
        std::vector<std::uint8_t> data;
        if (!QueryData(registry, valueName, REG_SZ, data)) {
            return false;
        }
        const std::string text(data.begin(), data.end());
        value = text.substr(0, text.find('\0'));
        return true;
    });
}

bool MultiReadInteger(const std::vector<HKEY>& roots, const std::vector<std::string>& keyPaths,
                      const std::string& valueName, std::int32_t& value) {
    TMultiConfigReader reader;
    for (const HKEY root : roots) {
        reader.AddRoot(root);
    }
    for (const std::string& keyPath : keyPaths) {
        reader.AddKeyPath(keyPath);
    }
    return reader.ReadInteger(valueName, value);
}

bool MultiReadString(const std::vector<HKEY>& roots, const std::vector<std::string>& keyPaths,
                     const std::string& valueName, std::string& value) {
    TMultiConfigReader reader;
    for (const HKEY root : roots) {
        reader.AddRoot(root);
    }
    for (const std::string& keyPath : keyPaths) {
        reader.AddKeyPath(keyPath);
    }
    return reader.ReadString(valueName, value);
}

void InitUserHives() {
    auto hives = std::make_unique<std::vector<std::string>>();
    TRegistry registry;
    registry.SetRootKey(HKEY_USERS);
    if (registry.OpenKeyReadOnly("")) {
        *hives = registry.GetKeyNames();
        registry.CloseKey();
    }
    TheUserHives = std::move(hives);
}

void FreeUserHives() {
    TheUserHives.reset();
}

const std::vector<std::string>& UserHives() {
    static const std::vector<std::string> none;
    return TheUserHives ? *TheUserHives : none;
}

} // namespace vx::config
