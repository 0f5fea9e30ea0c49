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
    config::TQELConfigManager& Config = RequireConfigManager();
    *FRegistryKey = RegistryKeyPrefix + Config.ProductName();
    FRegistryValue = LanguageValueName;
    Config.AddUpdateHandler([Key = std::weak_ptr<std::string>(FRegistryKey)] {
        const auto Target = Key.lock();
        if (!Target) {
            return;
        }
        try {
            *Target = RegistryKeyPrefix + config::ConfigManager().ProductName();
        } catch (const vx::Exception&) {
            // No manager any more: nothing to follow.
        }
    });
}

TAppTranslator::~TAppTranslator() = default;

void TAppTranslator::AddLoadHandler(TLocalizationObjectLoadEvent Handler) {
    FLoadEvents.push_back(std::move(Handler));
}

void TAppTranslator::AddSaveHandler(TLocalizationObjectSaveEvent Handler) {
    FSaveEvents.push_back(std::move(Handler));
}

bool TAppTranslator::RunLoadHandlers(const TLanguageFile& Ini) const {
    try {
        // By index: a handler may register further handlers, which then run too.
        for (std::size_t I = 0; I < FLoadEvents.size(); ++I) {
            if (FLoadEvents[I]) {
                TLocalizationObjectLoadEvent Handler = FLoadEvents[I];
                Handler(Ini);
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
