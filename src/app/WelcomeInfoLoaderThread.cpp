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

TWelcomeInfoLoaderThread::TWelcomeInfoLoaderThread(TLoaderSetup Setup)
    : FEvent(win::CreateNamedEvent(LoaderEventName, false)), FTester(std::move(Setup.Tester)),
      FInstallFolder(std::move(Setup.InstallFolder)), FCycleWait(Setup.CycleWait) {
    if (!FTester) {
        FTester = std::make_unique<health::TKorvex2WebThreadTester>();
    }
    if (FInstallFolder.empty()) {
        FInstallFolder = win::ExecutableFolder();
    }
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
    // The flag is looked at only here: a cycle that has begun is completed.
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
    const std::string LibraryPath = FInstallFolder + ScannerLibraryName;
    if (win::FileExists(LibraryPath)) {
        ReportWelcomeInfo(wiScannerVersion, true, GetFileVersionText(LibraryPath));
    } else {
        ReportWelcomeInfo(wiScannerVersion, false, {});
    }

    std::string LastUpdate;
    if (config::ConfigManager().ReadString(WelcomeSection, LastUpdateValue, LastUpdate)) {
        ReportWelcomeInfo(wiLastUpdate, true, LastUpdate);
    } else {
        ReportWelcomeInfo(wiLastUpdate, false, {});
    }

    std::int32_t FileDBCount = 0;
    if (config::ConfigManager().ReadInteger(WelcomeSection, FileDBCountValue, FileDBCount)) {
        ReportWelcomeInfo(wiDatabaseSize, true, std::to_string(FileDBCount));
    } else {
        ReportWelcomeInfo(wiDatabaseSize, false, {});
    }

    CheckBrowserHelper();

    FTester->TestAll();
    for (int Index = 0; Index < health::SuiteServiceCount; ++Index) {
        ReportServiceStatus(static_cast<std::uint8_t>(Index), FTester->GetStatusByIndex(Index));
    }
}

void TWelcomeInfoLoaderThread::CheckBrowserHelper() {
    FBrowserHelperRegistered = false;
    {
        config::TMyRegistry Registry;
        Registry.SetRootKey(win::HKEY_CLASSES_ROOT);
        if (Registry.OpenKeyReadOnly(BrowserHelperClassKey)) {
            try {
                const config::TValueKind Kind = Registry.GetValueKind({});
                if (Kind == config::vkString || Kind == config::vkExpandString) {
                    FBrowserHelperRegistered = win::FileExists(Registry.ReadStringValue({}));
                }
            } catch (const vx::Exception&) {
                FBrowserHelperRegistered = false;
            }
            Registry.CloseKey();
        }
    }
    if (!FBrowserHelperRegistered) {
        return;
    }
    FBrowserHelperRegistered = false;
    config::TMyRegistry Registry;
    Registry.SetRootKey(win::HKEY_LOCAL_MACHINE);
    if (Registry.OpenKeyReadOnly(BrowserHelperObjectKey)) {
        FBrowserHelperRegistered = true;
        Registry.CloseKey();
    }
}

void TWelcomeInfoLoaderThread::ReportWelcomeInfo(std::uint8_t Kind, bool Available,
                                                 const std::string& Text) {
    FInfoKind = Kind;
    FInfoAvailable = Available;
    FInfoText = Text;
    Synchronize([this] {
        if (FSink != nullptr) {
            FSink->ShowWelcomeInfo(FInfoKind, FInfoAvailable, FInfoText);
        }
    });
}

void TWelcomeInfoLoaderThread::ReportServiceStatus(std::uint8_t Index, std::uint8_t Status) {
    FServiceIndex = Index;
    FServiceStatus = Status;
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

void TWelcomeInfoLoaderThread::LogFailedCycle(const std::string& Message) {
    if (Message == FLastFailure) {
        return;
    }
    FLastFailure = Message;
    try {
        win::WriteEventLog(win::EVENTLOG_ERROR_TYPE, EventCategory, product::ProductEventSource,
                           {EventComponent, Message});
    } catch (...) {
        // The log is the last resort; a failure there changes nothing for the next cycle.
    }
}

std::string TWelcomeInfoLoaderThread::GetFileVersionText(const std::string& FileName,
                                                         std::uint64_t* Version) {
    if (Version != nullptr) {
        *Version = 0;
    }
    const win::DWORD Size = win::GetFileVersionInfoSize(FileName);
    if (Size == 0) {
        return {};
    }
    std::vector<std::uint8_t> Buffer(Size);
    win::VS_FIXEDFILEINFO Info{};
    if (!win::GetFileVersionInfo(FileName, Size, Buffer.data()) ||
        !win::VerQueryFixedFileInfo(Buffer.data(), Size, Info)) {
        return {};
    }
    if (Version != nullptr) {
        *Version = (static_cast<std::uint64_t>(Info.dwFileVersionMS) << 32) | Info.dwFileVersionLS;
    }
    return std::to_string(Info.dwFileVersionMS >> 16) + VersionSeparator +
           std::to_string(Info.dwFileVersionMS & 0xFFFF) + VersionSeparator +
           std::to_string(Info.dwFileVersionLS >> 16) + VersionSeparator +
           std::to_string(Info.dwFileVersionLS & 0xFFFF);
}

} // namespace vx::app
