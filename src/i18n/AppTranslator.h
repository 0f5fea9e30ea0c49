#pragma once

#include "i18n/LanguageApplier.h"
#include "i18n/LanguageFile.h"
#include "i18n/LanguageLoadLock.h"
#include "i18n/LanguageText.h"
#include "platform/Exception.h"
#include "platform/WinTypes.h"

#include <functional>
#include <memory>
#include <optional>
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
// Plain procedures taking the language file; the load procedures run before the load handlers.
using TLocalizationLoadProc = void (*)(const TLanguageFile& ini);
using TLocalizationSaveProc = void (*)(TLanguageFile& ini);
// The events raised once per load with the file, and at the end of a load.
using TOwnerCustomHandler = std::function<void(const TLanguageFile& ini)>;
using TLoadCompleted = std::function<void()>;

// The application's translator: where language files live and how they are read, the loaded
// language's messages, help file and fonts, the remembered choice's registry location, and the
// handlers other parts register to translate their own texts. Applying a language to the
// windows is the attached TLanguageApplier's. Everything runs on the user-interface thread.
class TAppTranslator {
public:
    // Needs the process-wide configuration manager (config/ConfigManager.h): raises
    // ETranslatorError without it. The registry key then follows the manager's product name.
    TAppTranslator();
    ~TAppTranslator();
    TAppTranslator(const TAppTranslator&) = delete;
    TAppTranslator& operator=(const TAppTranslator&) = delete;

    // Reads the language file `fileName` (a path of the installation folder) and applies it to
    // the whole application under the cross-process load lock. Nothing happens when the file
    // does not exist. A file that cannot be read is skipped (no handler runs), but the fonts
    // are applied and the completion event fires all the same.
    void LoadLanguage(const std::string& fileName);

    // Appended in order; a handler may be added twice and is never removed.
    void AddLoadHandler(TLocalizationObjectLoadEvent handler);
    void AddSaveHandler(TLocalizationObjectSaveEvent handler);
    const std::vector<TLocalizationObjectLoadEvent>& LoadEvents() const { return FLoadEvents; }
    const std::vector<TLocalizationObjectSaveEvent>& SaveEvents() const { return FSaveEvents; }
    std::vector<TLocalizationLoadProc>& LoadProcs() { return FLoadProcs; }
    std::vector<TLocalizationSaveProc>& SaveProcs() { return FSaveProcs; }

    // The handler step of loading a language: every load procedure, then every load handler,
    // in registration order with the loaded file. An error stops the step and goes no further;
    // true when all ran.
    bool RunLoadHandlers(const TLanguageFile& ini) const;

    // The save side of the handlers: every save procedure, then every save handler, in
    // registration order with `ini`. An error stops the step; true when all ran.
    bool RunSaveHandlers(TLanguageFile& ini) const;

    // Remembers `languageBaseName` as the user's choice under RegistryKey; errors are ignored.
    void SaveLanguageChoice(const std::string& languageBaseName) const;
    // The base name the user chose last, when RegistryValue holds a text that names a file in
    // FilePath (no folder part); nothing otherwise.
    std::optional<std::string> RememberedLanguage() const;
    // Loads the remembered language as choosing it would, when its file exists; true when a
    // file was loaded.
    bool LoadRememberedLanguage();

    // The language file of a base name: FilePath + name + "." + FileExtension.
    std::string LanguageFilePath(const std::string& languageBaseName) const;

    // Non-owning; null detaches. The applier must outlive its attachment.
    void SetApplier(TLanguageApplier* applier) { FApplier = applier; }
    // How the load lock waits; the real clock's sleep unless a test sets its own.
    void SetLoadLockSleep(TLanguageLoadLock::TSleep sleep) { FLoadLockSleep = std::move(sleep); }

    const std::vector<std::string>& Messages() const { return FMessages; }
    const std::string& CompressIndicator() const { return FCompressIndicator; }
    void SetCompressIndicator(const std::string& indicator) { FCompressIndicator = indicator; }
    const std::string& LanguageName() const { return FLanguageName; }
    const std::string& LanguageRealName() const { return FLanguageRealName; }
    const std::string& LanguageHint() const { return FLanguageHint; }
    const std::string& FileExtension() const { return FFileExtension; }
    void SetFileExtension(const std::string& extension) { FFileExtension = extension; }
    const std::string& FilePath() const { return FFilePath; }
    void SetFilePath(const std::string& path) { FFilePath = path; }
    const std::string& HelpFile() const { return FHelpFile; }
    bool LocalizedHelpFile() const { return FLocalizedHelpFile; }
    void SetLocalizedHelpFile(bool localized) { FLocalizedHelpFile = localized; }
    const std::string& LastLanguageFile() const { return FLastLanguageFile; }
    const TFontSettings& LoadedFont() const { return FLoadedFont; }
    void SetLoadedFont(const TFontSettings& font) { FLoadedFont = font; }

    TOwnerCustomHandler OnOwnerCustomLoad;
    // The save side: stored, never raised in this system.
    TOwnerCustomHandler OnOwnerCustomSave;
    TLoadCompleted OnApplicationLoadCompleted;

    win::HKEY RegistryRootKey() const { return FRegistryRootKey; }
    const std::string& RegistryKey() const { return *FRegistryKey; }
    void SetRegistryKey(const std::string& key) { *FRegistryKey = key; }
    const std::string& RegistryValue() const { return FRegistryValue; }

private:
    // The steps of a load that take what they need from a file that was read.
    void TakeMainSection(const std::string& fileName, const TLanguageFile& ini);

    TLanguageApplier* FApplier = nullptr; // not owned
    TLanguageLoadLock::TSleep FLoadLockSleep;

    std::vector<std::string> FMessages;
    std::string FCompressIndicator;
    std::string FLanguageName;
    std::string FLanguageRealName;
    std::string FLanguageHint;
    std::string FFileExtension;
    std::string FFilePath;
    std::string FHelpFile;
    bool FLocalizedHelpFile = true;
    std::string FLastLanguageFile;
    TFontSettings FLoadedFont;

    win::HKEY FRegistryRootKey;
    // Shared with the configuration manager's update handler, which outlives the translator
    // and must not write into a freed one.
    std::shared_ptr<std::string> FRegistryKey;
    std::string FRegistryValue;
    std::vector<TLocalizationLoadProc> FLoadProcs;
    std::vector<TLocalizationSaveProc> FSaveProcs;
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
