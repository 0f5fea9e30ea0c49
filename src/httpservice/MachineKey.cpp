#include "httpservice/MachineKey.h"

#include "platform/Registry.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace vx::httpservice {
namespace {

constexpr const char* CurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* ProductIdValue = "ProductId";
constexpr const char* LineEnd = "\r\n";
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

// The product ID's data as the key, or false when it could not be read.
bool ReadProductId(win::HKEY key, win::DWORD type, win::DWORD size, std::string& result) {
    std::vector<std::uint8_t> data(size);
    win::DWORD readType = 0;
    win::DWORD readSize = size;
    if (win::RegQueryValueEx(key, ProductIdValue, &readType, data.data(), &readSize) !=
            win::ERROR_SUCCESS ||
        readType != type || readSize > size) {
        return false;
    }
    const std::string bytes(data.begin(), data.begin() + readSize);
    if (type != win::REG_MULTI_SZ) {
        result = bytes.substr(0, bytes.find('\0'));
        return true;
    }
    // Strings separated by NULs and ended by an empty string.
    result.clear();
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        if (end == start) {
            break;
        }
        result += bytes.substr(start, end - start) + LineEnd;
        start = end + 1;
    }
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
