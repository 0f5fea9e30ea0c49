#include "i18n/AppTranslator.h"

#include "config/ConfigManager.h"
#include "config/RegRead.h"
#include "i18n/LanguageFileReader.h"
#include "platform/Files.h"
#include "platform/Registry.h"

#include <algorithm>
#include <optional>
#include <thread>
#include <utility>

namespace vx::i18n {
namespace {

constexpr const char* MissingConfigText = "Please do include qelConfig!";
constexpr const char* RegistryKeyPrefix = "\\Software\\Qelvane Limited\\";
constexpr const char* LanguageValueName = "Language";
constexpr const char* DefaultCompressIndicator = "LCF";
constexpr const char* DefaultFileExtension = "lng";
constexpr const char* LanguagesFolder = "Languages/";
constexpr const char* DefaultHelpFile = "Help\\English.chm";
// A file name is far shorter; a longer value is not a language's name.
constexpr std::size_t MaxLanguageNameBytes = 4096;

std::unique_ptr<TAppTranslator> TheAppTranslator;

config::TQELConfigManager& RequireConfigManager() {
    try {
        return config::ConfigManager();
    } catch (const vx::Exception&) {
        throw ETranslatorError(MissingConfigText);
    }
}

// The file name without its folder and without the part from its last dot on.
std::string BaseNameOf(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of("/\\");
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) {
        name.erase(dot);
    }
    return name;
}

// A path below the installation folder as the language file writes it, with Windows
// separators, made a path of this system.
std::string InstallationPath(std::string relative) {
    for (char& c : relative) {
        if (c == '\\') {
            c = '/';
        }
    }
    return win::ExecutableFolder() + relative;
}

// The registry key as the root's subkey: its leading backslash (absolute below the root) goes.
std::string RelativeKey(std::string key) {
    if (key.starts_with('\\')) {
        key.erase(0, 1);
    }
    return key;
}

// Every procedure, then every handler, in registration order with `ini`. By index: a handler
// may register further handlers, which then run too. An error stops the run; true when all ran.
template <typename TProc, typename TEvent, typename TIni>
bool RunHandlers(const std::vector<TProc>& procs, const std::vector<TEvent>& events, TIni& ini) {
    try {
        for (std::size_t i = 0; i < procs.size(); ++i) {
            if (procs[i] != nullptr) {
                procs[i](ini);
            }
        }
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i]) {
                const TEvent handler = events[i]; // the list may grow while it runs
                handler(ini);
            }
        }
    } catch (...) {
        return false;
    }
    return true;
}

} // namespace

TAppTranslator::TAppTranslator()
    : FLoadLockSleep([](std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }),
      FCompressIndicator(DefaultCompressIndicator), FFileExtension(DefaultFileExtension),
      FFilePath(win::ExecutableFolder() + LanguagesFolder), FHelpFile(DefaultHelpFile),
      FRegistryRootKey(win::HKEY_CURRENT_USER), FRegistryKey(std::make_shared<std::string>()) {
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

void TAppTranslator::LoadLanguage(const std::string& fileName) {
    const auto local = win::LocalPath(fileName);
    if (!local || !win::FileExists(fileName)) {
        return;
    }
    FLastLanguageFile = fileName;
    const TLanguageLoadLock lock(FLoadLockSleep);

    std::optional<TLanguageFile> ini;
    try {
        ini.emplace(ReadLanguageFileText(*local, FCompressIndicator));
    } catch (...) {
        // An unreadable file is skipped: the fonts and the completion event below still come.
    }
    if (ini) {
        TakeMainSection(fileName, *ini);
        try {
            FMessages = LoadMessages(*ini);
        } catch (...) {
            // The messages stay as they were.
        }
        if (FApplier) {
            try {
                FApplier->LoadFlags(*ini);
            } catch (...) {
                // The flags stay as far as they got.
            }
            FApplier->TranslateForms(*ini);
        }
    }
    if (FApplier) {
        FApplier->ApplyFonts(FLoadedFont);
    }
    if (ini) {
        RunLoadHandlers(*ini);
        if (OnOwnerCustomLoad) {
            OnOwnerCustomLoad(*ini);
        }
        ini.reset();
    }
    if (OnApplicationLoadCompleted) {
        OnApplicationLoadCompleted();
    }
}

void TAppTranslator::TakeMainSection(const std::string& fileName, const TLanguageFile& ini) {
    FLanguageName = BaseNameOf(fileName);
    FLanguageRealName = ini.ReadString(MainSection, LanguageNameKey, "");
    FLanguageHint = ini.ReadString(MainSection, UseKey, "");
    FHelpFile = ini.ReadString(MainSection, HelpFileKey, DefaultHelpFile);
    if (FApplier) {
        if (FLocalizedHelpFile) {
            FApplier->SetApplicationHelpFile(InstallationPath(FHelpFile));
        }
        FApplier->SetApplicationBiDiMode(ReadBiDiMode(ini));
    }
}

void TAppTranslator::AddLoadHandler(TLocalizationObjectLoadEvent handler) {
    FLoadEvents.push_back(std::move(handler));
}

void TAppTranslator::AddSaveHandler(TLocalizationObjectSaveEvent handler) {
    FSaveEvents.push_back(std::move(handler));
}

bool TAppTranslator::RunLoadHandlers(const TLanguageFile& ini) const {
    return RunHandlers(FLoadProcs, FLoadEvents, ini);
}

bool TAppTranslator::RunSaveHandlers(TLanguageFile& ini) const {
    return RunHandlers(FSaveProcs, FSaveEvents, ini);
}

void TAppTranslator::SaveLanguageChoice(const std::string& languageBaseName) const {
    win::TKeyHandle handle;
    if (win::RegCreateKeyEx(FRegistryRootKey, RelativeKey(RegistryKey()), win::KEY_WRITE,
                            handle.Receive()) != win::ERROR_SUCCESS) {
        return;
    }
    const std::string data = languageBaseName + '\0';
    win::RegSetValueEx(handle.Get(), FRegistryValue, win::REG_SZ,
                       reinterpret_cast<const std::uint8_t*>(data.data()),
                       static_cast<win::DWORD>(data.size()));
}

std::optional<std::string> TAppTranslator::RememberedLanguage() const {
    std::string name;
    try {
        if (!config::RegReadString(FRegistryRootKey, RegistryKey(), FRegistryValue, 32, name)) {
            return std::nullopt;
        }
    } catch (const vx::Exception&) {
        return std::nullopt; // a value that cannot be read names no language
    }
    // A name that leaves the Languages folder, or that holds line breaks (several texts), is no
    // language of ours.
    const bool control = std::any_of(name.begin(), name.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < ' '; });
    if (name.empty() || name.size() > MaxLanguageNameBytes || control || name == "." ||
        name == ".." || name.find_first_of("/\\") != std::string::npos) {
        return std::nullopt;
    }
    return name;
}

bool TAppTranslator::LoadRememberedLanguage() {
    const std::optional<std::string> name = RememberedLanguage();
    if (!name || !win::FileExists(LanguageFilePath(*name))) {
        return false;
    }
    LoadLanguage(LanguageFilePath(*name));
    return true;
}

std::string TAppTranslator::LanguageFilePath(const std::string& languageBaseName) const {
    return FFilePath + languageBaseName + "." + FFileExtension;
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
