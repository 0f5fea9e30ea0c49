#include "config/ConfigManager.h"

#include "config/MultiConfigReader.h"
#include "platform/Exception.h"

#include <memory>
#include <utility>

namespace vx::config {

using namespace vx::win;

namespace {

constexpr const char* QelvaneCompanyName = "Qelvane Limited";
constexpr const char* SoftwareKey = "\\Software\\";
constexpr const char* NoConfigManager = "The configuration manager has not been created";

std::unique_ptr<TQELConfigManager> TheConfigManager;

} // namespace

TQELConfigManager::TQELConfigManager() : FRootPreference(1), FCompanyName(QelvaneCompanyName) {}

std::string TQELConfigManager::GetConfigKey() const {
    return SoftwareKey + FCompanyName + "\\" + FProductName + "\\";
}

std::array<HKEY, 2> TQELConfigManager::GetRootOrder() const {
    if (FRootPreference == 0) {
        return {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};
    }
    return {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
}

bool TQELConfigManager::ReadInteger(const std::string& section, const std::string& valueName,
                                    std::int32_t& value) const {
    const auto roots = GetRootOrder();
    return MultiReadInteger({roots.begin(), roots.end()}, {GetConfigKey() + section}, valueName,
                            value);
}

bool TQELConfigManager::ReadString(const std::string& section, const std::string& valueName,
                                   std::string& value) const {
    const auto roots = GetRootOrder();
    return MultiReadString({roots.begin(), roots.end()}, {GetConfigKey() + section}, valueName,
                           value);
}

void TQELConfigManager::SetProductName(const std::string& name) {
    if (name != FProductName) {
        FProductName = name;
        NotifyUpdated();
    }
}

void TQELConfigManager::AddUpdateHandler(TOnConfigUpdatedEvent handler) {
    FUpdateHandlers.push_back(std::move(handler));
}

void TQELConfigManager::NotifyUpdated() {
    for (const TOnConfigUpdatedEvent& handler : FUpdateHandlers) {
        if (handler) {
            handler();
        }
    }
}

void CreateConfigManager(const std::string& applicationTitle) {
    if (!TheConfigManager) {
        auto manager = std::make_unique<TQELConfigManager>();
        manager->SetProductName(applicationTitle);
        TheConfigManager = std::move(manager);
    }
}

void FreeConfigManager() {
    TheConfigManager.reset();
}

TQELConfigManager& ConfigManager() {
    if (!TheConfigManager) {
        throw vx::Exception(NoConfigManager);
    }
    return *TheConfigManager;
}

} // namespace vx::config
