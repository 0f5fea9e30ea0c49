#include "app/ProcessServices.h"

#include "config/ConfigManager.h"
#include "config/HiveManager.h"
#include "config/MultiConfigReader.h"
#include "config/PathPlaceholders.h"
#include "config/RegCache.h"
#include "decisions/DialogTexts.h"
#include "health/HttpClient.h"
#include "housekeeping/TempFolderCleaner.h"
#include "housekeeping/VolumeScan.h"
#include "httpservice/MachineKey.h"
#include "i18n/AppTranslator.h"
#include "platform/EventLog.h"
#include "platform/Exception.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "product/ProductIdentity.h"

#include <iostream>

namespace vx::app {

namespace {

constexpr const char* ThreadEventName = "qelCritialThreadEvent";
constexpr const char* ThreadEventNameH = "qelCritialThreadEventH";
constexpr const char* ProductMessageFile = "VXEvents.dll";
constexpr const char* ApplicationLog = "Application";
constexpr std::int32_t TypesSupported = 7;
constexpr std::int32_t CategoryCount = 2;

} // namespace

TProcessServices::TProcessServices(const std::string& defaultTitle) {
    try {
        win::OpenMachine();
    } catch (const Exception& e) {
        std::cerr << "VXTray: " << e.what() << "; running without a registry\n";
    }
    config::CreateRegCache();
    // Nothing waits on these; they are created signalled, or opened keeping their state.
    FThreadControlEvents = {win::CreateNamedEvent(ThreadEventName, true),
                            win::CreateNamedEvent(ThreadEventName, true),
                            win::CreateNamedEvent(ThreadEventNameH, true)};
    config::CreateHiveManager(); // registers "QEL HiveManager" first; a refusal is ignored
    config::InitUserHives();
    config::CreateConfigManager(defaultTitle);
    i18n::CreateAppTranslator();
    try {
        config::CreatePathPlaceholders();
    } catch (const Exception& e) {
        // A registry that cannot be read costs the tables, which nothing here reads again.
        std::cerr << "VXTray: the path placeholders could not be built: " << e.what() << "\n";
    }
    health::InitializeHttpClient();
    housekeeping::CreateTempFolderCleaner();
    housekeeping::CreateVolumeList();
    decisions::RegisterDialogTexts();
    // Without administrator rights there is no registration, and no harm.
    win::RegisterEventLogSource(ApplicationLog, product::ProductEventSource, ProductMessageFile,
                                TypesSupported, CategoryCount);
    httpservice::InitMachineKey();
}

TProcessServices::~TProcessServices() {
    httpservice::ClearMachineKey();
    decisions::FreeDialogTexts();
    housekeeping::FreeVolumeList();
    housekeeping::FreeTempFolderCleaner();
    config::FreePathPlaceholders();
    i18n::FreeAppTranslator();
    config::FreeConfigManager();
    config::FreeUserHives();
    config::FreeHiveManager();
    FThreadControlEvents.clear();
    config::FreeRegCache();
    win::InstallRegistryStore(nullptr);
}

} // namespace vx::app
