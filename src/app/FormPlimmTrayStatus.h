#pragma once

#include "app/TrayIconLook.h"
#include "app/WelcomeInfoLoaderThread.h"
#include "app/WelcomeInfoSink.h"
#include "decisions/DecisionServer.h"
#include "decisions/MonitorSender.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "httpservice/PendingConnections.h"
#include "platform/NamedEvent.h"
#include "platform/WorkerThread.h"

#include <array>
#include <functional>
#include <memory>

#include <QStringList>
#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSystemTrayIcon;
class QTimer;

namespace vx::app {

// What the window works with; the defaults are the product's.
struct TTrayOptions {
    int DecisionPort = decisions::DecisionServerPort;
    int VerdictPort = decisions::MonitorVerdictPort;
    // Makes the status loader; one returning null runs the window without a loader.
    std::function<std::unique_ptr<TWelcomeInfoLoaderThread>()> MakeLoader = [] {
        return std::make_unique<TWelcomeInfoLoaderThread>();
    };
    // What connections waiting for their requests to the decision service may cost.
    httpservice::TPendingLimits PendingLimits;
    // False builds the window with its controls, menu and actions only, as a language template
    // walks them: no decision service, status loader or sender runs.
    bool RunServices = true;
};

// The program's main window: the tray icon with its menu, the status window with the scanner
// version, the last update, the database size and three protection states, and the tooltip
// summing up the suite's services. It owns the decision daemon, the status loader and the
// sender of the user's requests to the monitor (verdicts, Live Protection), so that the user
// interface never waits for the monitor; a request that is not delivered is reported in a
// notification and in the decision service's line log. The tray icon shows the number of
// pending decisions as a badge and a warning form while a protection is down; a click on it
// brings up the decision dialog while decisions are pending.
// Created hidden; every operation runs on the UI thread.
class TFormPlimmTrayStatus : public QWidget, public TWelcomeInfoSink {
    Q_OBJECT
public:
    explicit TFormPlimmTrayStatus(TTrayOptions options = {});
    ~TFormPlimmTrayStatus() override;

    void ShowWelcomeInfo(std::uint8_t kind, bool available, const std::string& text) override;
    void ShowServiceStatus(std::uint8_t index, std::uint8_t status) override;

    void AskDecisions(decisions::TDecisionList& list);
    // Removes the decision at `index` at once and hands the verdict to the sender.
    void ApplyDecisionVerdict(int index, bool allow);

    QSystemTrayIcon& TrayIcon() const { return *FTrayIcon; }
    QMenu& PopupTray() const { return *FPopupTray; }
    // The tooltip's lines, each to be followed by CR LF.
    const QStringList& HintLines() const { return FHintLines; }
    const std::array<int, 5>& HintLineOfService() const { return FHintLineOfService; }
    decisions::TPlimmDecisionDaemon& DecisionDaemon() const { return *FDecisionDaemon; }
    decisions::TMonitorSender& MonitorSender() const { return *FMonitorSender; }
    const TTrayIconState& TrayIconState() const { return FIconState; }

    // Keeps the program reachable without a notification area (a desktop without a tray, a
    // Wayland session without a StatusNotifier host): while there is none, the status window
    // shows, offers the tray menu on a right click and minimises instead of hiding. Follows a
    // tray that comes or goes later; start-up calls it once the window exists. Offscreen it
    // does nothing.
    void WatchTrayHost();
    bool WithoutTrayHost() const { return FWithoutTrayHost; }

signals:
    // The user confirmed Exit: the program ends.
    void ExitConfirmed();
    // A notification went to the desktop through the tray icon.
    void Notified(const QString& title, const QString& message);

protected:
    // The title bar offers no close button; a close request from elsewhere (the window
    // manager's shortcut) hides the window like "Hide", so only Exit, which asks, ends it.
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void CreateControls();
    void CreateTrayIcon();
    QAction* AddAction(const char* name, const QString& caption);
    void AddMenuItem(const char* name, QAction* action);
    void StartCompanion(const char* fileName);

    void aSystemScanExecute();
    void aFileScanExecute();
    void aUpdateExecute();
    void TrayIconDblClick();
    // A single click on an XEmbed icon: brings up the decision dialog while decisions are
    // pending; false when there are none.
    bool TrayIconClick();
    // The activation of a StatusNotifier item, which knows no double click: the decision
    // dialog while decisions are pending, else what a double click does.
    void TrayIconActivate();
    void FollowTrayHost();
    void HideOrMinimize();
    void aLiveProtectionExecute();
    void UpdateTrayIcon();
    void ReportUndelivered(const decisions::TMonitorFailure& failure);
    void Notify(const QString& title, const QString& message);
    void aShowStatusExecute();
    void bnCloseClick();
    void aExitExecute();

    // Declared first, so the decision dialog goes last, after the daemon and the loader.
    dialogs::TDecisionDialogOwner FDecisionDialogOwner;
    TTrayOptions FOptions;
    QLabel* labelScannerVersion = nullptr;
    QLabel* labelLastUpdate = nullptr;
    QLabel* labelDatabaseSize = nullptr;
    QLabel* labelStatusPlimmLounge = nullptr;
    QLabel* labelStatusScanner = nullptr;
    QLabel* labelStatusIE = nullptr;
    QPushButton* bnClose = nullptr;
    QSystemTrayIcon* FTrayIcon = nullptr;
    QMenu* FPopupTray = nullptr;
    QObject* alTray = nullptr;
    QAction* aSystemScan = nullptr;
    QAction* aFileScan = nullptr;
    QAction* aUpdate = nullptr;
    QAction* aLiveProtection = nullptr;
    QAction* aShowStatus = nullptr;
    QAction* aExit = nullptr;

    TThreadPtr<decisions::TMonitorSender> FMonitorSender;
    TThreadPtr<decisions::TPlimmDecisionDaemon> FDecisionDaemon;
    std::unique_ptr<TWelcomeInfoLoaderThread> FLoaderThread;
    std::shared_ptr<win::TEvent> FLoaderEvent;
    QStringList FHintLines;
    std::array<int, 5> FHintLineOfService{};
    TProtectionStatuses FProtections{};
    TTrayIconState FIconState;
    // The icon is a StatusNotifier item: its activation opens the main console.
    bool FActivateOpensConsole = false;
    bool FWithoutTrayHost = false;
    QTimer* FTrayHostTimer = nullptr;
};

} // namespace vx::app
