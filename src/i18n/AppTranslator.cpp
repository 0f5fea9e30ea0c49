#include "i18n/AppTranslator.h"

#include "config/ConfigManager.h"

#include <utility>

namespace vx::i18n {
namespace {

constexpr const char* MissingConfigText = "Please do include qelConfig!";
constexpr const char* RegistryKeyPrefix = "\\Software\\Qelvane Limited\\";
constexpr const char* LanguageValueName = "Language";

std::unique_ptr<TAppTranslator> TheAppTranslator;

config::TQELConfigManager& RequireConfigManager() {
    try {
        return config::ConfigManager();
    } catch (const vx::Exception&) {
        throw ETranslatorError(MissingConfigText);
    }
}

} // namespace

TAppTranslator::TAppTranslator()
    : FRegistryRootKey(win::HKEY_CURRENT_USER), FRegistryKey(std::make_shared<std::string>()) {
    config::TQELConfigManager& config = RequireConfigManager();
    *FRegistryKey = RegistryKeyPrefix + config.ProductName();
    FRegistryValue = LanguageValueName;
    config.AddUpdateHandler([key = std::weak_ptr<std::string>(FRegistryKey)] {
        const auto target = key.lock();
        if (!target) {
            return;
        }
        try {
            *target = RegistryKeyPrefix + config::ConfigManager().ProductName();
        } catch (const vx::Exception&) {
            // No manager any more: nothing to follow.
        }
    });
}

TAppTranslator::~TAppTranslator() = default;

void TAppTranslator::AddLoadHandler(TLocalizationObjectLoadEvent handler) {
    FLoadEvents.push_back(std::move(handler));
}

void TAppTranslator::AddSaveHandler(TLocalizationObjectSaveEvent handler) {
    FSaveEvents.push_back(std::move(handler));
}

bool TAppTranslator::RunLoadHandlers(const TLanguageFile& ini) const {
    try {
        // By index: a handler may register further handlers, which then run too.
        for (std::size_t i = 0; i < FLoadEvents.size(); ++i) {
            if (FLoadEvents[i]) {
                TLocalizationObjectLoadEvent handler = FLoadEvents[i];
                handler(ini);
            }
        }
    } catch (...) {
        return false;
    }
    return true;
}

void CreateAppTranslator() {
    if (!TheAppTranslator) {
        TheAppTranslator = std::make_unique<TAppTranslator>();
    }
}

void FreeAppTranslator() {
    TheAppTranslator.reset();
}

TAppTranslator* AppTranslator() {
    return TheAppTranslator.get();
}

} // namespace vx::i18n
