#include "app/FormPlimmTrayStatus.h"

#include "app/HelpPages.h"
#include "app/TrayHost.h"
#include "decisions/dialogs/DialogText.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "health/ServiceTester.h"
#include "health/SuiteServices.h"
#include "platform/Files.h"
#include "platform/ShellExecute.h"
#include "product/ProductIcon.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTextDocument>
#include <QTimer>

namespace vx::app {

namespace {

constexpr const char* WindowTitle = "Korvex - Thornet 2";
constexpr const char* HintTitle = "Korvex - Thornet 2";
constexpr const char* ScannerVersionUnknown = "Scanner version: ???";
constexpr const char* LastUpdateUnknown = "Last update: ???";
constexpr const char* DatabaseSizeUnknown = "Database size: ???";
constexpr const char* OnAccessUnknown = "On-Access protection: ...";
constexpr const char* ScannerUnknown = "Antispyware & Antivirus protection: ...";
constexpr const char* InternetUnknown = "Internet protection: ...";
constexpr const char* ScannerVersionText = "Scanner version: %1";
constexpr const char* ScannerLibraryMissing = "Scanner library missing!";
constexpr const char* LastUpdateText = "Last update: %1";
constexpr const char* NoUpdateAttempt = "No update attempt registered!";
constexpr const char* DatabaseSizeText = "Database size: %1 patterns";
constexpr const char* HideCaption = "Hide";
constexpr const char* SystemScanCaption = "System Scan";
constexpr const char* FileScanCaption = "File && Folder Scan";
constexpr const char* UpdateCaption = "Update";
constexpr const char* LiveProtectionCaption = "Live Protection";
constexpr const char* ShowStatusCaption = "Show status";
constexpr const char* ExitCaption = "Exit";
constexpr const char* SystemScanProgram = "VXScan.exe";
constexpr const char* FileScanProgram = "VXFiles.exe";
constexpr const char* UpdateProgram = "VXUpdate.exe";
constexpr const char* MainConsoleProgram = "VXMain.exe";
constexpr const char* VerdictNotDeliveredTitle = "Verdict not delivered";
constexpr const char* VerdictNotDeliveredText = "%1 for \"%2\" did not reach the monitor: %3";
constexpr const char* VerdictNotDeliveredLine = "Verdict %1 for decision %2 (%3) not delivered: %4";
constexpr const char* LiveProtectionNotChangedTitle = "Live Protection not changed";
constexpr const char* LiveProtectionNotChangedText =
    "Switching Live Protection %1 did not reach the monitor: %2";
constexpr const char* LiveProtectionNotChangedLine = "Live Protection %1 not delivered: %2";
constexpr const char* WordAllow = "Allow";
constexpr const char* WordDeny = "Deny";
constexpr const char* LineAllow = "allow";
constexpr const char* LineDeny = "deny";
constexpr const char* WordOn = "on";
constexpr const char* WordOff = "off";
constexpr int NotificationMilliseconds = 15000;
// How often a missing notification area is looked for again.
constexpr int TrayHostPollMilliseconds = 2000;
// An item longer than this is shortened in the middle in a notification.
constexpr qsizetype NotificationItemLength = 80;
constexpr const char* ExitQuestion =
    "Closing this icon and menu will not stop system monitoring, changes will just happen "
    "without notice afterwards. To shut down the monitoring instead, disabled it by unchecking "
    "\"Live Protection\" instead. Are you sure you want to exit the notifications only?";

// The texts of a service report by tray index and status 1 to 3 (null: the label stays).
struct TServiceLabelTexts {
    const char* Working;
    const char* Down;
    const char* Corrupted;
};
constexpr std::array<TServiceLabelTexts, 4> ServiceLabelTexts{{
    {nullptr, "Update service down!", "Update service corrupted!"},
    {"Antispyware & Antivirus protection: on", "Antispyware & Antivirus protection: off",
     "Antispyware & Antivirus protection: corrupted"},
    {"On-Access protection: on", "On-Access protection: off", "On-Access protection: corrupted"},
    {"Internet Explorer protection: on", "Internet Explorer protection: off",
     "Internet Explorer protection: corrupted"},
}};

// Layout at 96 dots per inch.
constexpr int ClientWidth = 337;
constexpr int ClientHeight = 153;
constexpr int Margin = 8;
constexpr int LabelHeight = 16;
constexpr int LabelTops[6] = {8, 24, 40, 64, 80, 96};
constexpr QRect HideButtonRect(254, 120, 75, 25);
constexpr int ExitYes = 6;

// A decision's item as a notification names it: on one line, shortened in the middle.
QString NotificationItem(const std::string& item) {
    QString text = dialogs::DialogValueText(item);
    if (text.size() <= NotificationItemLength) {
        return text;
    }
    const qsizetype half = NotificationItemLength / 2;
    return text.left(half) + QChar(0x2026) + text.right(half);
}

void SetText(QLabel* label, const QString& text, bool bold) {
    label->setText(text);
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
}

} // namespace

TFormPlimmTrayStatus::TFormPlimmTrayStatus(TTrayOptions options) : FOptions(std::move(options)) {
    setObjectName("FormPlimmTrayStatus");
    CreateControls();
    CreateTrayIcon();
    FormCreate();
}

TFormPlimmTrayStatus::~TFormPlimmTrayStatus() {
    FormDestroy();
}

void TFormPlimmTrayStatus::CreateControls() {
    setWindowTitle(WindowTitle);
    // A title bar without system menu, minimise, maximise or close button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(QFont("Tahoma", 8));
    setFixedSize(ClientWidth, ClientHeight);
    setBackgroundRole(QPalette::Window);

    QLabel** const labels[] = {&labelScannerVersion,    &labelLastUpdate,    &labelDatabaseSize,
                               &labelStatusPlimmLounge, &labelStatusScanner, &labelStatusIE};
    const char* const names[] = {"labelScannerVersion", "labelLastUpdate",
                                 "labelDatabaseSize",   "labelStatusPlimmLounge",
                                 "labelStatusScanner",  "labelStatusIE"};
    const char* const texts[] = {ScannerVersionUnknown, LastUpdateUnknown, DatabaseSizeUnknown,
                                 OnAccessUnknown,       ScannerUnknown,    InternetUnknown};
    for (std::size_t i = 0; i < std::size(labels); ++i) {
        auto* label = new QLabel(texts[i], this);
        label->setObjectName(names[i]);
        label->setTextFormat(Qt::PlainText); // "&" is a character, never markup
        label->setGeometry(Margin, LabelTops[i], ClientWidth - 2 * Margin, LabelHeight);
        *labels[i] = label;
    }
    bnClose = new QPushButton(HideCaption, this);
    bnClose->setObjectName("bnClose");
    bnClose->setGeometry(HideButtonRect);
    connect(bnClose, &QPushButton::clicked, this, [this] { bnCloseClick(); });
    // Without a notification area the tray menu is offered here (WatchTrayHost).
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { FPopupTray->popup(mapToGlobal(position)); });
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this,
            [] { OpenHelpPage(HelpContentsPage(HelpFolder())); });
}

QAction* TFormPlimmTrayStatus::AddAction(const char* name, const QString& caption) {
    auto* action = new QAction(caption, alTray);
    action->setObjectName(name);
    return action;
}

// A menu entry that stands for an action: its caption and check mark follow the action, and
// choosing it runs the action.
void TFormPlimmTrayStatus::AddMenuItem(const char* name, QAction* action) {
    auto* item = new QAction(action->text(), FPopupTray);
    item->setObjectName(name);
    item->setCheckable(action->isCheckable());
    item->setChecked(action->isChecked());
    connect(action, &QAction::changed, item, [item, action] {
        item->setText(action->text());
        item->setStatusTip(action->statusTip());
        item->setToolTip(action->toolTip());
        item->setChecked(action->isChecked());
    });
    connect(item, &QAction::triggered, action, [action] { action->trigger(); });
    FPopupTray->addAction(item);
}

void TFormPlimmTrayStatus::CreateTrayIcon() {
    alTray = new QObject(this);
    alTray->setObjectName("alTray");
    aSystemScan = AddAction("aSystemScan", SystemScanCaption);
    aFileScan = AddAction("aFileScan", FileScanCaption);
    aUpdate = AddAction("aUpdate", UpdateCaption);
    aLiveProtection = AddAction("aLiveProtection", LiveProtectionCaption);
    aLiveProtection->setCheckable(true);
    aLiveProtection->setChecked(true);
    connect(aLiveProtection, &QAction::triggered, this, [this] { aLiveProtectionExecute(); });
    aShowStatus = AddAction("aShowStatus", ShowStatusCaption);
    aExit = AddAction("aExit", ExitCaption);
    connect(aSystemScan, &QAction::triggered, this, [this] { aSystemScanExecute(); });
    connect(aFileScan, &QAction::triggered, this, [this] { aFileScanExecute(); });
    connect(aUpdate, &QAction::triggered, this, [this] { aUpdateExecute(); });
    connect(aShowStatus, &QAction::triggered, this, [this] { aShowStatusExecute(); });
    connect(aExit, &QAction::triggered, this, [this] { aExitExecute(); });

    FPopupTray = new QMenu(this);
    FPopupTray->setObjectName("PopupTray");
    AddMenuItem("miSystemScan", aSystemScan);
    AddMenuItem("miFileScan", aFileScan);
    AddMenuItem("miUpdate", aUpdate);
    FPopupTray->addSeparator()->setObjectName("N1");
    AddMenuItem("miLiveProtection", aLiveProtection);
    AddMenuItem("miShowstatus", aShowStatus);
    AddMenuItem("miExit", aExit);

    // Asked when the icon is made, as Qt asks to pick the icon's protocol.
    FActivateOpensConsole = StatusNotifierHostRegistered();
    FTrayIcon = new QSystemTrayIcon(product::ProductIcon(), this);
    FTrayIcon->setObjectName("TrayIcon");
    FTrayIcon->setToolTip(QApplication::applicationDisplayName());
    FTrayIcon->setContextMenu(FPopupTray);
    connect(FTrayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    TrayIconDblClick();
                } else if (reason == QSystemTrayIcon::Trigger && FActivateOpensConsole) {
                    TrayIconActivate();
                } else if (reason == QSystemTrayIcon::Trigger) {
                    TrayIconClick();
                }
            });
    FTrayIcon->show();
}

void TFormPlimmTrayStatus::FormCreate() {
    if (!FOptions.RunServices) {
        return;
    }
    FMonitorSender = StartThread<decisions::TMonitorSender>(
        FOptions.VerdictPort,
        [this](const decisions::TMonitorFailure& failure) { ReportUndelivered(failure); });
    FDecisionDaemon.reset(
        new decisions::TPlimmDecisionDaemon(FOptions.VerdictPort, FOptions.DecisionPort));
    FDecisionDaemon->SetPendingLimits(FOptions.PendingLimits);
    FDecisionDaemon->Start();
    FDecisionDaemon->SetOnDecisionsChanged(
        [this](decisions::TDecisionList& list) { AskDecisions(list); });

    FHintLines = {HintTitle, QString()};
    FHintLineOfService[2] = static_cast<int>(FHintLines.size());
    FHintLines.append(QString());
    FHintLineOfService[1] = static_cast<int>(FHintLines.size());
    FHintLines.append(QString());
    FHintLineOfService[3] = static_cast<int>(FHintLines.size());
    FHintLines.append(QString());
    FHintLineOfService[4] = -1;
    FHintLineOfService[0] = static_cast<int>(FHintLines.size());
    FHintLines.append(QString());

    FLoaderEvent = win::CreateNamedEvent(LoaderEventName, false);
    FLoaderThread = FOptions.MakeLoader();
    if (FLoaderThread) {
        FLoaderThread->SetSink(this);
        FLoaderThread->Start();
    }
}

void TFormPlimmTrayStatus::FormDestroy() {
    if (!FDecisionDaemon) {
        return; // built without its services
    }
    // The window is on its way out: a decision arriving while the loader is awaited below must
    // neither reach it nor leave a dialog behind on a list that goes with the daemon.
    FDecisionDaemon->SetOnDecisionsChanged({});
    if (FLoaderThread) {
        FLoaderThread->Terminate();
        FLoaderEvent->Set();
        FLoaderThread->WaitFor(); // keeps serving the loader's reports meanwhile
    }
    FLoaderEvent.reset();
    FLoaderThread.reset();
    FHintLines.clear();
    FMonitorSender.reset();
    FDecisionDaemon.reset();
}

void TFormPlimmTrayStatus::ShowWelcomeInfo(std::uint8_t kind, bool available,
                                           const std::string& text) {
    const QString value = QString::fromStdString(text);
    switch (kind) {
    case wiScannerVersion:
        available ? SetText(labelScannerVersion, QString(ScannerVersionText).arg(value), false)
                  : SetText(labelScannerVersion, ScannerLibraryMissing, true);
        break;
    case wiLastUpdate:
        available ? SetText(labelLastUpdate, QString(LastUpdateText).arg(value), false)
                  : SetText(labelLastUpdate, NoUpdateAttempt, true);
        break;
    case wiDatabaseSize:
        SetText(labelDatabaseSize,
                available ? QString(DatabaseSizeText).arg(value) : QString(DatabaseSizeUnknown),
                false);
        break;
    default:
        break;
    }
}

void TFormPlimmTrayStatus::ShowServiceStatus(std::uint8_t index, std::uint8_t status) {
    if (index >= FHintLineOfService.size()) {
        return;
    }
    const std::array<QLabel*, 4> labels{labelLastUpdate, labelStatusScanner, labelStatusPlimmLounge,
                                        labelStatusIE};
    // The three protections, in the order of TProtectionStatuses, by service index.
    constexpr std::array<int, 5> protectionOfService{-1, 1, 0, 2, -1};
    if (const int protection = protectionOfService[index]; protection >= 0) {
        FProtections[static_cast<std::size_t>(protection)] = status;
        UpdateTrayIcon();
    }
    if (index < labels.size() && status >= health::tsWorking && status <= health::tsCorrupted) {
        const auto& texts = ServiceLabelTexts[index];
        const char* text = status == health::tsWorking       ? texts.Working
                           : status == health::tsUnavailable ? texts.Down
                                                             : texts.Corrupted;
        if (text != nullptr) {
            SetText(labels[index], text, status != health::tsWorking);
        }
    }
    const int line = FHintLineOfService[index];
    if (line < 0 || status >= health::ServiceStatusWords.size()) {
        return;
    }
    FHintLines[line] = QString("%1: %2")
                           .arg(health::SuiteServiceCaptions[index])
                           .arg(health::ServiceStatusWords[status]);
    FTrayIcon->setToolTip(FHintLines.join("\r\n") + "\r\n");
}

void TFormPlimmTrayStatus::AskDecisions(decisions::TDecisionList& list) {
    dialogs::ShowPlimmDecisions(
        &list, [this](int index, bool allow) { ApplyDecisionVerdict(index, allow); });
    dialogs::RefreshPlimmDecisions();
    UpdateTrayIcon();
}

void TFormPlimmTrayStatus::ApplyDecisionVerdict(int index, bool allow) {
    auto& list = FDecisionDaemon->Decisions();
    const auto decision = index >= 0 && index < list.Count() ? list.Items(index) : nullptr;
    if (!decision) {
        return;
    }
    // The decision goes at once, whatever becomes of its verdict, and the verdict goes out on
    // the sender's thread: the user interface never waits for the monitor.
    list.Remove(*decision);
    FMonitorSender->Send(
        decisions::TMonitorRequest::Verdict(decision->DecisionID, allow, decision->Item));
    UpdateTrayIcon();
}

bool TFormPlimmTrayStatus::TrayIconClick() {
    if (!FDecisionDaemon) {
        return false; // built without its services
    }
    auto& list = FDecisionDaemon->Decisions();
    if (list.Count() == 0) {
        return false;
    }
    dialogs::BringUpPlimmDecisions(
        &list, [this](int index, bool allow) { ApplyDecisionVerdict(index, allow); });
    return true;
}

void TFormPlimmTrayStatus::TrayIconActivate() {
    if (!TrayIconClick()) {
        TrayIconDblClick();
    }
}

void TFormPlimmTrayStatus::WatchTrayHost() {
    // Offscreen nobody sees a window, whatever the tray.
    if (RunsOffscreen()) {
        return;
    }
    if (FTrayHostTimer == nullptr) {
        FTrayHostTimer = new QTimer(this);
        FTrayHostTimer->setInterval(TrayHostPollMilliseconds);
        connect(FTrayHostTimer, &QTimer::timeout, this, [this] { FollowTrayHost(); });
        FTrayHostTimer->start();
    }
    FollowTrayHost();
}

void TFormPlimmTrayStatus::FollowTrayHost() {
    const bool without = !QSystemTrayIcon::isSystemTrayAvailable();
    if (without != FWithoutTrayHost) {
        FWithoutTrayHost = without;
        setContextMenuPolicy(without ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
        if (without) {
            aShowStatusExecute();
        }
    }
    // Asking an XEmbed tray is a look at the X server; asking a StatusNotifier watcher is a
    // call on the session bus, which is left alone while the icon is shown.
    if (FActivateOpensConsole && !FWithoutTrayHost) {
        FTrayHostTimer->stop();
    }
}

void TFormPlimmTrayStatus::aLiveProtectionExecute() {
    FMonitorSender->Send(decisions::TMonitorRequest::LiveProtection(aLiveProtection->isChecked()));
}

void TFormPlimmTrayStatus::UpdateTrayIcon() {
    const TTrayIconState state =
        TrayIconStateFor(FDecisionDaemon->Decisions().Count(), FProtections);
    if (state != FIconState) {
        FIconState = state;
        FTrayIcon->setIcon(RenderTrayIcon(state));
    }
}

void TFormPlimmTrayStatus::ReportUndelivered(const decisions::TMonitorFailure& failure) {
    const QString reason = QString::fromStdString(failure.Reason).trimmed();
    const auto& request = failure.Request;
    if (request.Kind == decisions::TMonitorRequest::rkVerdict) {
        const QString item = NotificationItem(request.Item);
        Notify(VerdictNotDeliveredTitle,
               QString(VerdictNotDeliveredText)
                   .arg(request.Allow ? WordAllow : WordDeny, item, reason));
        FDecisionDaemon->AddLogLine(QString(VerdictNotDeliveredLine)
                                        .arg(request.Allow ? LineAllow : LineDeny)
                                        .arg(request.DecisionId)
                                        .arg(item, reason)
                                        .toStdString());
    } else {
        const char* state = request.Enabled ? WordOn : WordOff;
        Notify(LiveProtectionNotChangedTitle,
               QString(LiveProtectionNotChangedText).arg(state, reason));
        FDecisionDaemon->AddLogLine(
            QString(LiveProtectionNotChangedLine).arg(state, reason).toStdString());
    }
}

void TFormPlimmTrayStatus::Notify(const QString& title, const QString& message) {
    // Names and reasons are data: where the desktop would read them as markup, they are
    // escaped to show as written.
    FTrayIcon->showMessage(title, Qt::mightBeRichText(message) ? message.toHtmlEscaped() : message,
                           QSystemTrayIcon::Warning, NotificationMilliseconds);
    emit Notified(title, message);
}

void TFormPlimmTrayStatus::StartCompanion(const char* fileName) {
    const std::string folder = win::ExecutableFolder();
    win::ShellExecute(folder + fileName, "", folder, win::SW_SHOW);
}

void TFormPlimmTrayStatus::aSystemScanExecute() {
    StartCompanion(SystemScanProgram);
}
void TFormPlimmTrayStatus::aFileScanExecute() {
    StartCompanion(FileScanProgram);
}
void TFormPlimmTrayStatus::aUpdateExecute() {
    StartCompanion(UpdateProgram);
}
void TFormPlimmTrayStatus::TrayIconDblClick() {
    StartCompanion(MainConsoleProgram);
}

void TFormPlimmTrayStatus::aShowStatusExecute() {
    // The whole window is centred, its frame included: centring the client area would leave it
    // off by the title bar and border. The frame is known once the window is shown, so a first
    // showing is centred again then.
    const auto centre = [this] {
        if (const QScreen* shownOn = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(shownOn->availableGeometry().center());
            move(frame.topLeft());
        }
    };
    centre();
    show();
    centre();
    raise();
    activateWindow();
}

void TFormPlimmTrayStatus::bnCloseClick() {
    HideOrMinimize();
}

void TFormPlimmTrayStatus::HideOrMinimize() {
    // A hidden window could not be brought back without the tray icon.
    FWithoutTrayHost ? showMinimized() : hide();
}

void TFormPlimmTrayStatus::aExitExecute() {
    const int answer = dialogs::KorvexMessageDlg(
        ExitQuestion, 0, {taskdialog::TCommonButton::cbYes, taskdialog::TCommonButton::cbNo}, 0,
        taskdialog::TCommonButton::cbNo);
    if (answer == ExitYes) {
        emit ExitConfirmed();
    }
}

void TFormPlimmTrayStatus::closeEvent(QCloseEvent* event) {
    event->ignore();
    HideOrMinimize();
}

} // namespace vx::app
