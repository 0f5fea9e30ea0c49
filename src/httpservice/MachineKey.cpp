#include "httpservice/MachineKey.h"

#include "platform/RegMultiString.h"
#include "platform/Registry.h"

#include <cstdint>
#include <mutex>

namespace vx::httpservice {
namespace {

constexpr const char* CurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* ProductIdValue = "ProductId";
// Tried in this order: KEY_READ, a narrower read, then query-value alone.
constexpr win::REGSAM OpenMasks[] = {0x20019, 0x20009, 0x1};

// Never destroyed: self-freeing request threads may still read the key while the process
// exits and runs the destructors of statics.
std::mutex& KeyLock() {
    static std::mutex& lock = *new std::mutex;
    return lock;
}

std::string& Key() {
    static std::string& key = *new std::string;
    return key;
}

// The product ID's data as the key, read as the registry layer's RegReadString reads a text
// value, so that every reader of the value makes the same key; false when it could not be read.
bool ReadProductId(win::HKEY key, win::DWORD type, win::DWORD size, std::string& result) {
    if (size == 0) {
        result.clear();
        return true;
    }
    if (type != win::REG_MULTI_SZ) {
        // Room for the text twice over and a NUL, so that a NUL always ends the text.
        std::string buffer(std::size_t{2} * size + 1, '\0');
        win::DWORD readSize = static_cast<win::DWORD>(buffer.size());
        if (win::RegQueryValueEx(key, ProductIdValue, nullptr,
                                 reinterpret_cast<std::uint8_t*>(buffer.data()),
                                 &readSize) != win::ERROR_SUCCESS) {
            return false;
        }
        result = buffer.substr(0, buffer.find('\0'));
        return true;
    }
    std::string data(size, '\0');
    win::DWORD readType = 0;
    win::DWORD readSize = size;
    if (win::RegQueryValueEx(key, ProductIdValue, &readType,
                             reinterpret_cast<std::uint8_t*>(data.data()),
                             &readSize) != win::ERROR_SUCCESS ||
        readType != win::REG_MULTI_SZ) {
        return false;
    }
    data.resize(readSize);
    result = win::MultiStringLines(data);
    return true;
}

std::string ReadMachineKey() {
    win::TKeyHandle key;
    bool opened = false;
    for (const win::REGSAM mask : OpenMasks) {
        if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, CurrentVersionKey, mask, key.Receive()) ==
            win::ERROR_SUCCESS) {
            opened = true;
            break;
        }
    }
    if (!opened) {
        return {};
    }
    std::string result;
    win::DWORD type = 0;
    win::DWORD size = 0;
    if (win::RegQueryValueEx(key.Get(), ProductIdValue, &type, nullptr, &size) ==
            win::ERROR_SUCCESS &&
        (type == win::REG_SZ || type == win::REG_EXPAND_SZ || type == win::REG_MULTI_SZ)) {
        if (!ReadProductId(key.Get(), type, size, result)) {
            result = FallbackMachineId;
        }
    }
    return result;
}

} // namespace

void InitMachineKey() {
    SetMachineKey(ReadMachineKey());
}

std::string MachineKey() {
    std::lock_guard lock(KeyLock());
    return Key();
}

void SetMachineKey(std::string key) {
    std::lock_guard lock(KeyLock());
    Key() = std::move(key);
}

void ClearMachineKey() {
    SetMachineKey({});
}

} // namespace vx::httpservice
