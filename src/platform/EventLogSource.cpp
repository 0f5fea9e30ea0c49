#include "platform/EventLog.h"
#include "platform/Registry.h"

namespace vx::win {
namespace {

constexpr const char* EventLogKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\";
constexpr const char* EventMessageFileValue = "EventMessageFile";
constexpr const char* TypesSupportedValue = "TypesSupported";
constexpr const char* CategoryMessageFileValue = "CategoryMessageFile";
constexpr const char* CategoryCountValue = "CategoryCount";

void WriteExpandString(HKEY key, const char* name, const std::string& text) {
    // Registry strings are stored with their terminating NUL.
    const std::string data = text + '\0';
    RegSetValueEx(key, name, REG_EXPAND_SZ, reinterpret_cast<const std::uint8_t*>(data.data()),
                  static_cast<DWORD>(data.size()));
}

void WriteInteger(HKEY key, const char* name, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    const std::uint8_t data[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                  static_cast<std::uint8_t>(v >> 16),
                                  static_cast<std::uint8_t>(v >> 24)};
    RegSetValueEx(key, name, REG_DWORD, data, sizeof data);
}

} // namespace

bool RegisterEventLogSource(const std::string& logName, const std::string& sourceName,
                            const std::string& messageFile, std::int32_t typesSupported,
                            std::int32_t categoryCount) {
    const std::string path = EventLogKey + logName + "\\" + sourceName + "\\";
    TKeyHandle key;
    if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, path, KEY_READ | KEY_WRITE, key.Receive()) !=
        ERROR_SUCCESS) {
        return false;
    }
    // Once the key is open the source counts as registered: each value is written on its own
    // and a value that cannot be written does not undo the registration.
    WriteExpandString(key.Get(), EventMessageFileValue, messageFile);
    WriteInteger(key.Get(), TypesSupportedValue, typesSupported);
    if (categoryCount > 0) {
        WriteExpandString(key.Get(), CategoryMessageFileValue, messageFile);
        WriteInteger(key.Get(), CategoryCountValue, categoryCount);
    }
    return true;
}

} // namespace vx::win
