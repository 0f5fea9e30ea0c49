#pragma once

#include "app/WelcomeInfoSink.h"
#include "health/ServiceTester.h"
#include "platform/NamedEvent.h"
#include "platform/WorkerThread.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace vx::app {

// The named event that wakes every status loader at once (the window signals it on exit).
inline constexpr const char* LoaderEventName = "KorvexWelcomeInfoLoaderThreadEvent";

// What a loader works with; empty members take the product's defaults.
struct TLoaderSetup {
    // Default: the suite's tester of the five services (TKorvex2WebThreadTester).
    std::unique_ptr<health::TWebThreadTester> Tester;
    // The folder that holds the scanner library, with a trailing '/'. Default: the folder of
    // the running executable.
    std::string InstallFolder;
    // The longest wait between cycles.
    std::chrono::milliseconds CycleWait{5000};
};

// Gathers what the tray status window shows, one cycle after the other: the scanner
// library's version, the last update and the database size from the configuration, the
// browser helper's registration and the five services' health; eight reports per cycle,
// each run on the UI thread through Synchronize. Between cycles it waits on the named event
// LoaderEventName (manual reset) for at most CycleWait and resets it.
//
// A cycle that fails (an error from the configuration, a sink, ...) is logged to the event
// log and the next cycle runs after the usual wait; the loader only ends on Terminate().
// Terminate() also signals the event, so a waiting loader ends at once; a cycle that has
// begun is completed.
class TWelcomeInfoLoaderThread : public TWorkerThread {
public:
    explicit TWelcomeInfoLoaderThread(TLoaderSetup setup = {});
    // Ends a running loader first (Terminate and wait).
    ~TWelcomeInfoLoaderThread() override;

    // Before Start(); null: reports go nowhere.
    void SetSink(TWelcomeInfoSink* sink) { FSink = sink; }

    void Terminate() override;

    // The version of a PE file as four decimal numbers joined by "." (file version, most
    // significant part first); empty when the file has no readable version resource.
    // `version`, when given, receives the 64-bit version number (0 when there is none).
    static std::string GetFileVersionText(const std::string& fileName,
                                          std::uint64_t* version = nullptr);

protected:
    void Execute() override;

private:
    void RunCycle();
    void CheckBrowserHelper();
    void ReportWelcomeInfo(std::uint8_t kind, bool available, const std::string& text);
    void ReportServiceStatus(std::uint8_t index, std::uint8_t status);
    void LogFailedCycle(const std::string& message);

    TWelcomeInfoSink* FSink = nullptr;
    // The report being delivered: written by the loader only while no handler runs.
    std::uint8_t FInfoKind = 0;
    bool FInfoAvailable = false;
    std::string FInfoText;
    std::uint8_t FServiceIndex = 0;
    std::uint8_t FServiceStatus = 0;

    std::shared_ptr<win::TEvent> FEvent;
    std::unique_ptr<health::TWebThreadTester> FTester;
    bool FBrowserHelperRegistered = false;
    std::string FInstallFolder;
    std::chrono::milliseconds FCycleWait;
    // The last failure logged; a failure that repeats cycle after cycle is logged once.
    std::string FLastFailure;
};

} // namespace vx::app
