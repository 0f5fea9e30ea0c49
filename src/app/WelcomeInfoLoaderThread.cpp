#include "app/WelcomeInfoLoaderThread.h"

#include "config/ConfigManager.h"
#include "config/MyRegistry.h"
#include "decisions/DialogTexts.h"
#include "platform/EventLog.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "platform/VersionInfo.h"
#include "product/ProductIdentity.h"

#include <vector>

namespace vx::app {

namespace {

constexpr const char* ScannerLibraryName = "krvxscanlib.dll";
constexpr const char* WelcomeSection = "Welcome";
constexpr const char* LastUpdateValue = "LastUpdate";
constexpr const char* FileDBCountValue = "FileDBCount";
constexpr const char* BrowserHelperClassKey =
    "\\CLSID\\{6A1F3C92-0D4E-4B7A-9E21-7C55D0A3B814}\\InprocServer32\\";
constexpr const char* BrowserHelperObjectKey =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser Helper "
    "Objects\\{6A1F3C92-0D4E-4B7A-9E21-7C55D0A3B814}";
constexpr const char* VersionSeparator = ".";
// Failed cycles go to the event log under the product's source.
constexpr const char* EventComponent = "TWelcomeInfoLoaderThread";
constexpr std::uint16_t EventCategory = 1;

// The firewall service, whose state the window shows as the browser's protection.
constexpr std::uint8_t FirewallServiceIndex = 3;

} // namespace

TWelcomeInfoLoaderThread::TWelcomeInfoLoaderThread(TLoaderSetup setup)
    : FEvent(win::CreateNamedEvent(LoaderEventName, false)), FTester(std::move(setup.Tester)),
      FInstallFolder(std::move(setup.InstallFolder)), FCycleWait(setup.CycleWait) {
    if (!FTester) {
        FTester = std::make_unique<health::TKorvex2WebThreadTester>();
    }
    if (FInstallFolder.empty()) {
        FInstallFolder = win::ExecutableFolder();
    }
    // A probe in flight when the thread is told to end is cancelled: a hung service must not
    // hold up the program's exit.
    FTester->SetCancelled([this] { return Terminated(); });
}

TWelcomeInfoLoaderThread::~TWelcomeInfoLoaderThread() {
    // The body uses this object's members: it must end before they go.
    if (!Finished()) {
        Terminate();
        WaitFor();
    }
}

void TWelcomeInfoLoaderThread::Terminate() {
    TWorkerThread::Terminate();
    FEvent->Set();
}

void TWelcomeInfoLoaderThread::Execute() {
    // A cycle that has begun runs on until a probe is cancelled (see the constructor).
    while (!Terminated()) {
        try {
            RunCycle();
            FLastFailure.clear();
        } catch (...) {
            LogFailedCycle(CurrentExceptionText());
        }
        FEvent->WaitFor(FCycleWait);
        FEvent->Reset();
    }
}

void TWelcomeInfoLoaderThread::RunCycle() {
    const std::string libraryPath = FInstallFolder + ScannerLibraryName;
    if (win::FileExists(libraryPath)) {
        ReportWelcomeInfo(wiScannerVersion, true, GetFileVersionText(libraryPath));
    } else {
        ReportWelcomeInfo(wiScannerVersion, false, {});
    }

    std::string lastUpdate;
    if (config::ConfigManager().ReadString(WelcomeSection, LastUpdateValue, lastUpdate)) {
        ReportWelcomeInfo(wiLastUpdate, true, lastUpdate);
    } else {
        ReportWelcomeInfo(wiLastUpdate, false, {});
    }

    std::int32_t fileDbCount = 0;
    if (config::ConfigManager().ReadInteger(WelcomeSection, FileDBCountValue, fileDbCount)) {
        ReportWelcomeInfo(wiDatabaseSize, true, std::to_string(fileDbCount));
    } else {
        ReportWelcomeInfo(wiDatabaseSize, false, {});
    }

    CheckBrowserHelper();

    FTester->TestAll();
    if (Terminated()) {
        return; // the probes were cancelled: nothing of them is reported
    }
    for (int index = 0; index < health::SuiteServiceCount; ++index) {
        ReportServiceStatus(static_cast<std::uint8_t>(index), FTester->GetStatusByIndex(index));
    }
}

void TWelcomeInfoLoaderThread::CheckBrowserHelper() {
    FBrowserHelperRegistered = false;
    {
        config::TMyRegistry registry;
        registry.SetRootKey(win::HKEY_CLASSES_ROOT);
        if (registry.OpenKeyReadOnly(BrowserHelperClassKey)) {
            try {
                const config::TValueKind kind = registry.GetValueKind({});
                if (kind == config::vkString || kind == config::vkExpandString) {
                    FBrowserHelperRegistered = win::FileExists(registry.ReadStringValue({}));
                }
            } catch (const vx::Exception&) {
                FBrowserHelperRegistered = false;
            }
            registry.CloseKey();
        }
    }
    if (!FBrowserHelperRegistered) {
        return;
    }
    FBrowserHelperRegistered = false;
    config::TMyRegistry registry;
    registry.SetRootKey(win::HKEY_LOCAL_MACHINE);
    if (registry.OpenKeyReadOnly(BrowserHelperObjectKey)) {
        FBrowserHelperRegistered = true;
        registry.CloseKey();
    }
}

void TWelcomeInfoLoaderThread::ReportWelcomeInfo(std::uint8_t kind, bool available,
                                                 const std::string& text) {
    FInfoKind = kind;
    FInfoAvailable = available;
    FInfoText = text;
    Synchronize([this] {
        if (FSink != nullptr) {
            FSink->ShowWelcomeInfo(FInfoKind, FInfoAvailable, FInfoText);
        }
    });
}

void TWelcomeInfoLoaderThread::ReportServiceStatus(std::uint8_t index, std::uint8_t status) {
    FServiceIndex = index;
    FServiceStatus = status;
    if (FServiceStatus == health::tsWorking && FServiceIndex == FirewallServiceIndex &&
        !FBrowserHelperRegistered) {
        FServiceStatus = health::tsUnavailable;
    }
    Synchronize([this] {
        if (FSink != nullptr) {
            FSink->ShowServiceStatus(FServiceIndex, FServiceStatus);
        }
    });
}

void TWelcomeInfoLoaderThread::LogFailedCycle(const std::string& message) {
    if (message == FLastFailure) {
        return;
    }
    FLastFailure = message;
    try {
        win::WriteEventLog(win::EVENTLOG_ERROR_TYPE, EventCategory, product::ProductEventSource,
                           {EventComponent, message});
    } catch (...) {
        // The log is the last resort; a failure there changes nothing for the next cycle.
    }
}

std::string TWelcomeInfoLoaderThread::GetFileVersionText(const std::string& fileName,
                                                         std::uint64_t* version) {
    if (version != nullptr) {
        *version = 0;
    }
    const win::DWORD size = win::GetFileVersionInfoSize(fileName);
    if (size == 0) {
        return {};
    }
    std::vector<std::uint8_t> buffer(size);
    win::VS_FIXEDFILEINFO info{};
    if (!win::GetFileVersionInfo(fileName, size, buffer.data()) ||
        !win::VerQueryFixedFileInfo(buffer.data(), size, info)) {
        return {};
    }
    if (version != nullptr) {
        *version = (static_cast<std::uint64_t>(info.dwFileVersionMS) << 32) | info.dwFileVersionLS;
    }
    return std::to_string(info.dwFileVersionMS >> 16) + VersionSeparator +
           std::to_string(info.dwFileVersionMS & 0xFFFF) + VersionSeparator +
           std::to_string(info.dwFileVersionLS >> 16) + VersionSeparator +
           std::to_string(info.dwFileVersionLS & 0xFFFF);
}

} // namespace vx::app
