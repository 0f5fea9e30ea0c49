#pragma once

#include "app/FormPlimmTrayStatus.h"
#include "app/QtUiThread.h"
#include "platform/EventLog.h"
#include "platform/WorkerThread.h"
#include "suite-sim/SimServices.h"
#include "support/TempPrefix.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <QApplication>
#include <QWidget>

// What the tray window's tests and its screenshot tool run it on. Needs a QApplication.
namespace vx::app::test {

// Pumps Qt's loop (and with it the workers' Synchronize calls) until `done` holds; false after
// half a minute.
bool WaitUntil(const std::function<bool()>& done);
// Pumps until the service on the loopback port answers its integrity probe as `serviceName`.
bool WaitUntilServing(int port, const std::string& serviceName);

// The process-wide services the window needs, as start-up brings them up, on a temporary copy
// of the default machine: the machine key, the configuration manager with the product's name,
// the translator, the dialog texts, the HTTP client, event-log entries recorded instead of sent to
// syslog, an installation folder with a copy of the scanner library, and the calling thread as the
// UI thread behind Qt's loop.
class TTrayServices {
public:
    TTrayServices(const std::filesystem::path& defaultPrefix, const std::string& scannerLibrary);
    ~TTrayServices();
    TTrayServices(const TTrayServices&) = delete;
    TTrayServices& operator=(const TTrayServices&) = delete;

    vx::test::TTempPrefix& Prefix() { return FPrefix; }
    // With a trailing '/'.
    std::string InstallFolder() const;
    // Reloads the machine after its hive files were changed.
    void ReloadMachine();
    std::vector<win::TEventRecord> Events() const { return FEvents.Events(); }

private:
    vx::test::TTempPrefix FPrefix;
    win::TEventLogRecorder FEvents;
    std::unique_ptr<TQtUiThread> FUiThread;
};

// How one simulated service answers the integrity probe.
enum class TSimState { Working, Corrupted, Down, Hanging };

// The suite's four other services (updater, firewall, scanner, monitor) on free loopback
// ports; the monitor takes verdicts. Waits until each listens.
class TSimulatedSuite {
public:
    struct TStates {
        TSimState Updater = TSimState::Working;
        TSimState Firewall = TSimState::Working;
        TSimState Scanner = TSimState::Working;
        TSimState Monitor = TSimState::Working;
    };

    explicit TSimulatedSuite(const TStates& states);
    TSimulatedSuite() : TSimulatedSuite(TStates{}) {}
    ~TSimulatedSuite();
    TSimulatedSuite(const TSimulatedSuite&) = delete;
    TSimulatedSuite& operator=(const TSimulatedSuite&) = delete;

    int MonitorPort() const;
    // Lets go of the connections the hanging services hold.
    void ReleaseHung();

    // Options for a window whose loader probes these services and the window's own decision
    // service, reads the scanner library in `installFolder` and waits `cycleWait` between cycles;
    // verdicts go to this suite's monitor.
    TTrayOptions Options(const std::string& installFolder,
                         std::chrono::milliseconds cycleWait = std::chrono::hours(1)) const;

private:
    struct TService {
        int Port = 0;
        std::shared_ptr<suitesim::TSimBehaviour> Behaviour;
        TThreadPtr<suitesim::TSimDaemon> Daemon;
    };
    // By the suite's service name.
    std::vector<std::pair<std::string, TService>> FServices;
};

// The window recording the loader's reports it handles ("info 0 1 2.7.1031.40961",
// "status 3 2"), in order.
class TRecordingTrayWindow : public TFormPlimmTrayStatus {
public:
    using TFormPlimmTrayStatus::TFormPlimmTrayStatus;

    void ShowWelcomeInfo(std::uint8_t kind, bool available, const std::string& text) override;
    void ShowServiceStatus(std::uint8_t index, std::uint8_t status) override;

    const std::vector<std::string>& Reports() const { return FReports; }

private:
    std::vector<std::string> FReports;
};

// Every object named `name` of class T found by walking the application's top-level widgets
// and their children, each once.
template <class T>
std::vector<T*> FindInApplication(const QString& name) {
    std::set<T*> found;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* object = qobject_cast<T*>(window);
            object != nullptr && window->objectName() == name) {
            found.insert(object);
        }
        for (T* child : window->findChildren<T*>(name)) {
            found.insert(child);
        }
    }
    return {found.begin(), found.end()};
}

// The one object named `name` of class T in the application; null when there is none or more.
template <class T>
T* FindOne(const QString& name) {
    const std::vector<T*> found = FindInApplication<T>(name);
    return found.size() == 1 ? found.front() : nullptr;
}

} // namespace vx::app::test
