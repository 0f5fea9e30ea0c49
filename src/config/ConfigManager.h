#pragma once

#include "platform/WinTypes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vx::config {

// Told when the product name changes.
using TOnConfigUpdatedEvent = std::function<void()>;

// The suite's configuration: values by section and name below
// \Software\<company>\<product>\<section> of the machine and of the user. With the machine
// preferred (the default) a machine value wins over the user's. Only reads.
class TQELConfigManager {
public:
    TQELConfigManager();

    std::string GetConfigKey() const;
    std::array<win::HKEY, 2> GetRootOrder() const;
    bool ReadInteger(const std::string& section, const std::string& valueName,
                     std::int32_t& value) const;
    bool ReadString(const std::string& section, const std::string& valueName,
                    std::string& value) const;

    const std::string& ProductName() const { return FProductName; }
    const std::string& CompanyName() const { return FCompanyName; }
    // 0: the user's settings win; 1: the machine's settings win.
    std::uint8_t RootPreference() const { return FRootPreference; }
    void SetRootPreference(std::uint8_t preference) { FRootPreference = preference; }

    // Stores `name` and notifies the handlers when it differs (case-sensitive) from the
    // current one. Start-up only: not locked.
    void SetProductName(const std::string& name);
    // Appends a handler; no duplicate check, no removal. Start-up only: not locked.
    void AddUpdateHandler(TOnConfigUpdatedEvent handler);
    void NotifyUpdated();

private:
    std::string FProductName;
    std::uint8_t FRootPreference;
    std::string FCompanyName;
    std::vector<TOnConfigUpdatedEvent> FUpdateHandlers;
};

// Start-up creates the process-wide instance with the application's current title as its
// product name; shutdown frees it. Creating twice keeps the first instance.
void CreateConfigManager(const std::string& applicationTitle);
void FreeConfigManager();
// The process-wide instance; raises vx::Exception when it does not exist.
TQELConfigManager& ConfigManager();

} // namespace vx::config
