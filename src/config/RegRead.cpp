#include "config/RegRead.h"

#include "config/MyRegistry.h"

#include <exception>

namespace vx::config {

bool RegReadString(win::HKEY rootKey, const std::string& key, const std::string& valueName,
                   std::uint8_t bits, std::string& value) {
    TMyRegistry registry;
    registry.SetBits(bits);
    registry.SetRootKey(rootKey);
    if (!registry.OpenKeyForReading(key)) {
        return false;
    }
    switch (registry.GetValueKind(valueName)) {
    case vkString:
    case vkExpandString:
        value = registry.ReadStringValue(valueName);
        return true;
    case vkMultiString:
        value = registry.ReadMultiStringValue(valueName);
        return true;
    default:
        return false;
    }
}

bool RegReadInteger(win::HKEY rootKey, const std::string& key, const std::string& valueName,
                    std::int32_t& value) {
    TMyRegistry registry;
    registry.SetRootKey(rootKey);
    if (!registry.OpenKeyForReading(key)) {
        return false;
    }
    if (registry.GetValueKind(valueName) != vkDWord) {
        return false;
    }
    value = registry.ReadInteger(valueName);
    return true;
}

bool RegKeyExists(win::HKEY rootKey, const std::string& key, std::uint8_t viewSelector) {
    try {
        TMyRegistry registry;
        if (viewSelector == 0) {
            registry.SetBits(32);
        } else if (viewSelector == 1) {
            registry.SetBits(64);
        }
        registry.SetRootKey(rootKey);
        return registry.KeyExistsInView(key);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace vx::config
