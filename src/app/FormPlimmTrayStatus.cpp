#include "app/FormPlimmTrayStatus.h"

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
#include <QSystemTrayIcon>

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

void SetText(QLabel* Label, const QString& Text, bool Bold) {
    Label->setText(Text);
    QFont Font = Label->font();
    Font.setBold(Bold);
    Label->setFont(Font);
}

} // namespace

TFormPlimmTrayStatus::TFormPlimmTrayStatus(TTrayOptions Options) : FOptions(std::move(Options)) {
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

    QLabel** const Labels[] = {&labelScannerVersion,    &labelLastUpdate,    &labelDatabaseSize,
                               &labelStatusPlimmLounge, &labelStatusScanner, &labelStatusIE};
    const char* const Names[] = {"labelScannerVersion", "labelLastUpdate",
                                 "labelDatabaseSize",   "labelStatusPlimmLounge",
                                 "labelStatusScanner",  "labelStatusIE"};
    const char* const Texts[] = {ScannerVersionUnknown, LastUpdateUnknown, DatabaseSizeUnknown,
                                 OnAccessUnknown,       ScannerUnknown,    InternetUnknown};
    for (std::size_t I = 0; I < std::size(Labels); ++I) {
        auto* Label = new QLabel(Texts[I], this);
        Label->setObjectName(Names[I]);
        Label->setTextFormat(Qt::PlainText); // "&" is a character, never markup
        Label->setGeometry(Margin, LabelTops[I], ClientWidth - 2 * Margin, LabelHeight);
        *Labels[I] = Label;
    }
    bnClose = new QPushButton(HideCaption, this);
    bnClose->setObjectName("bnClose");
    bnClose->setGeometry(HideButtonRect);
    connect(bnClose, &QPushButton::clicked, this, [this] { bnCloseClick(); });
}

QAction* TFormPlimmTrayStatus::AddAction(const char* Name, const QString& Caption) {
    auto* Action = new QAction(Caption, alTray);
    Action->setObjectName(Name);
    return Action;
}

// A menu entry that stands for an action: its caption and check mark follow the action, and
// choosing it runs the action.
void TFormPlimmTrayStatus::AddMenuItem(const char* Name, QAction* Action) {
    auto* Item = new QAction(Action->text(), FPopupTray);
    Item->setObjectName(Name);
    Item->setCheckable(Action->isCheckable());
    Item->setChecked(Action->isChecked());
    connect(Action, &QAction::changed, Item, [Item, Action] {
        Item->setText(Action->text());
        Item->setChecked(Action->isChecked());
    });
    connect(Item, &QAction::triggered, Action, [Action] { Action->trigger(); });
    FPopupTray->addAction(Item);
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

    FTrayIcon = new QSystemTrayIcon(product::ProductIcon(), this);
    FTrayIcon->setObjectName("TrayIcon");
    FTrayIcon->setToolTip(QApplication::applicationDisplayName());
    FTrayIcon->setContextMenu(FPopupTray);
    connect(FTrayIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason Reason) {
                if (Reason == QSystemTrayIcon::DoubleClick) {
                    TrayIconDblClick();
                }
            });
    FTrayIcon->show();
}

void TFormPlimmTrayStatus::FormCreate() {
    FDecisionDaemon =
        StartThread<decisions::TPlimmDecisionDaemon>(FOptions.VerdictPort, FOptions.DecisionPort);
    FDecisionDaemon->SetOnDecisionsChanged(
        [this](decisions::TDecisionList& List) { AskDecisions(List); });

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
    FDecisionDaemon.reset();
}

void TFormPlimmTrayStatus::ShowWelcomeInfo(std::uint8_t Kind, bool Available,
                                           const std::string& Text) {
    const QString Value = QString::fromStdString(Text);
    switch (Kind) {
    case wiScannerVersion:
        Available ? SetText(labelScannerVersion, QString(ScannerVersionText).arg(Value), false)
                  : SetText(labelScannerVersion, ScannerLibraryMissing, true);
        break;
    case wiLastUpdate:
        Available ? SetText(labelLastUpdate, QString(LastUpdateText).arg(Value), false)
                  : SetText(labelLastUpdate, NoUpdateAttempt, true);
        break;
    case wiDatabaseSize:
        SetText(labelDatabaseSize,
                Available ? QString(DatabaseSizeText).arg(Value) : QString(DatabaseSizeUnknown),
                false);
        break;
    default:
        break;
    }
}

void TFormPlimmTrayStatus::ShowServiceStatus(std::uint8_t Index, std::uint8_t Status) {
    if (Index >= FHintLineOfService.size()) {
        return;
    }
    const std::array<QLabel*, 4> Labels{labelLastUpdate, labelStatusScanner, labelStatusPlimmLounge,
                                        labelStatusIE};
    if (Index < Labels.size() && Status >= health::tsWorking && Status <= health::tsCorrupted) {
        const auto& Texts = ServiceLabelTexts[Index];
        const char* Text = Status == health::tsWorking       ? Texts.Working
                           : Status == health::tsUnavailable ? Texts.Down
                                                             : Texts.Corrupted;
        if (Text != nullptr) {
            SetText(Labels[Index], Text, Status != health::tsWorking);
        }
    }
    const int Line = FHintLineOfService[Index];
    if (Line < 0 || Status >= health::ServiceStatusWords.size()) {
        return;
    }
    FHintLines[Line] = QString("%1: %2")
                           .arg(health::SuiteServiceCaptions[Index])
                           .arg(health::ServiceStatusWords[Status]);
    FTrayIcon->setToolTip(FHintLines.join("\r\n") + "\r\n");
}

void TFormPlimmTrayStatus::AskDecisions(decisions::TDecisionList& List) {
    dialogs::ShowPlimmDecisions(
        &List, [this](int Index, bool Allow) { ApplyDecisionVerdict(Index, Allow); });
    dialogs::RefreshPlimmDecisions();
}

void TFormPlimmTrayStatus::ApplyDecisionVerdict(int Index, bool Allow) {
    auto& List = FDecisionDaemon->Decisions();
    // Taken before messages run: whatever they change, the verdict is for this decision.
    const auto Decision = Index >= 0 && Index < List.Count() ? List.Items(Index) : nullptr;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); // draws the cursor
    if (Decision) {
        List.ApplyVerdict(Decision, Allow);
    }
    QApplication::restoreOverrideCursor();
}

void TFormPlimmTrayStatus::StartCompanion(const char* FileName) {
    const std::string Folder = win::ExecutableFolder();
    win::ShellExecute(Folder + FileName, "", Folder, win::SW_SHOW);
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
    const auto Centre = [this] {
        if (const QScreen* Screen = screen()) {
            QRect Frame = frameGeometry();
            Frame.moveCenter(Screen->availableGeometry().center());
            move(Frame.topLeft());
        }
    };
    Centre();
    show();
    Centre();
    raise();
    activateWindow();
}

void TFormPlimmTrayStatus::bnCloseClick() {
    hide();
}

void TFormPlimmTrayStatus::aExitExecute() {
    const int Answer = dialogs::KorvexMessageDlg(
        ExitQuestion, 0, {taskdialog::TCommonButton::cbYes, taskdialog::TCommonButton::cbNo}, 0,
        taskdialog::TCommonButton::cbNo);
    if (Answer == ExitYes) {
        emit ExitConfirmed();
    }
}

void TFormPlimmTrayStatus::closeEvent(QCloseEvent* Event) {
    Event->ignore();
    hide();
}

} // namespace vx::app
