#pragma once

#include "platform/Registry.h"

#include <optional>
#include <string>
#include <string_view>

namespace vx::test {

// Reads a value's data as text through the Reg* calls; nullopt when any call fails.
inline std::optional<std::string> QueryText(win::HKEY root, std::string_view path,
                                            std::string_view name, win::REGSAM view = 0) {
    win::TKeyHandle key;
    if (win::RegOpenKeyEx(root, path, win::KEY_READ | view, key.Receive()) != win::ERROR_SUCCESS) {
        return std::nullopt;
    }
    win::DWORD size = 0;
    std::optional<std::string> text;
    if (win::RegQueryValueEx(key.Get(), name, nullptr, nullptr, &size) == win::ERROR_SUCCESS) {
        std::string data(size, '\0');
        if (win::RegQueryValueEx(key.Get(), name, nullptr,
                                 reinterpret_cast<std::uint8_t*>(data.data()),
                                 &size) == win::ERROR_SUCCESS) {
            text = data.substr(0, data.find('\0'));
        }
    }
    return text;
}

// Creates the key and sets a REG_SZ value; the Win32 result of the first failing call.
inline win::LSTATUS SetText(win::HKEY root, std::string_view path, std::string_view name,
                            std::string_view text, win::REGSAM view = 0) {
    win::TKeyHandle key;
    if (const auto status =
            win::RegCreateKeyEx(root, path, win::KEY_ALL_ACCESS | view, key.Receive());
        status != win::ERROR_SUCCESS) {
        return status;
    }
    std::string data(text);
    const auto status = win::RegSetValueEx(key.Get(), name, win::REG_SZ,
                                           reinterpret_cast<const std::uint8_t*>(data.c_str()),
                                           static_cast<win::DWORD>(data.size() + 1));
    return status;
}

} // namespace vx::test
