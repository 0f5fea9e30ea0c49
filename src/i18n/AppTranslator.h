#pragma once

#include "i18n/LanguageFile.h"
#include "platform/Exception.h"
#include "platform/WinTypes.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vx::i18n {

class ETranslatorError : public vx::Exception {
public:
    using vx::Exception::Exception;
};

// Handlers that translate texts of their own from a loaded language file, and that write
// those texts into a language template.
using TLocalizationObjectLoadEvent = std::function<void(const TLanguageFile& ini)>;
using TLocalizationObjectSaveEvent = std::function<void(TLanguageFile& ini)>;

// The application's translator: owns the remembered language choice's registry location and
// the handlers other parts register to translate their own texts. Everything runs on the
// user-interface thread.
class TAppTranslator {
public:
    // Needs the process-wide configuration manager (config/ConfigManager.h): raises
    // ETranslatorError without it. The registry key then follows the manager's product name.
    TAppTranslator();
    ~TAppTranslator();
    TAppTranslator(const TAppTranslator&) = delete;
    TAppTranslator& operator=(const TAppTranslator&) = delete;

    // Appended in order; a handler may be added twice and is never removed.
    void AddLoadHandler(TLocalizationObjectLoadEvent handler);
    void AddSaveHandler(TLocalizationObjectSaveEvent handler);
    const std::vector<TLocalizationObjectLoadEvent>& LoadEvents() const { return FLoadEvents; }
    const std::vector<TLocalizationObjectSaveEvent>& SaveEvents() const { return FSaveEvents; }

    // The handler step of loading a language: every load handler in registration order with
    // the loaded file. An error stops the step and goes no further; true when all ran.
    bool RunLoadHandlers(const TLanguageFile& ini) const;

    win::HKEY RegistryRootKey() const { return FRegistryRootKey; }
    const std::string& RegistryKey() const { return *FRegistryKey; }
    void SetRegistryKey(const std::string& key) { *FRegistryKey = key; }
    const std::string& RegistryValue() const { return FRegistryValue; }

private:
    win::HKEY FRegistryRootKey;
    // Shared with the configuration manager's update handler, which outlives the translator
    // and must not write into a freed one.
    std::shared_ptr<std::string> FRegistryKey;
    std::string FRegistryValue;
    std::vector<TLocalizationObjectLoadEvent> FLoadEvents;
    std::vector<TLocalizationObjectSaveEvent> FSaveEvents;
};

// The process-wide translator: start-up creates it after the configuration manager (raising
// ETranslatorError without one), shutdown frees it. Creating twice keeps the first instance.
void CreateAppTranslator();
void FreeAppTranslator();
// The process-wide translator, or null while there is none.
TAppTranslator* AppTranslator();

} // namespace vx::i18n
