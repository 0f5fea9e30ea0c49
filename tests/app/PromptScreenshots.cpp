// Renders the decision prompt on a real X desktop (Xvfb, openbox, an XEmbed tray) to PNG
// files: the dialog with a long item, the tray icon with its badge and in its warning form,
// and the notification of an undelivered verdict. vx_prompt_screenshots <output folder>; ends
// with 77 (skipped) where there is no X desktop to be had.
#include "TrayHarness.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "health/ServiceTester.h"
#include "product/ProductIcon.h"
#include "support/LoopbackPort.h"
#include "support/ScreenshotTool.h"
#include "support/TestPeer.h"
#include "support/X11Session.h"
#include "taskdialog/JSTaskDialogForm.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include <QApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

using namespace vx::app::test;

constexpr int Skipped = 77;
constexpr const char* DialogFile = "decision-long-item.png";
constexpr const char* BadgeFile = "tray-badge.png";
constexpr const char* WarningFile = "tray-warning.png";
constexpr const char* NotificationFile = "verdict-not-delivered.png";
// Room around the tray icon in its pictures, and how much they are enlarged (a tray icon is
// a few pixels wide).
constexpr int TrayMargin = 6;
constexpr int TrayZoom = 4;

bool SaveScreen(const QRect& area, const QDir& folder, const char* name, int zoom = 1) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(),
                                                                area.height());
    if (zoom > 1) {
        shot = shot.scaled(shot.size() * zoom, Qt::KeepAspectRatio, Qt::FastTransformation);
    }
    if (!shot.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

QRect AroundTrayIcon(const vx::app::TFormPlimmTrayStatus& window) {
    return window.TrayIcon().geometry().adjusted(-TrayMargin, -TrayMargin, TrayMargin, TrayMargin);
}

int Render(const QDir& folder) {
    TTrayServices services(VX_DEFAULT_PREFIX, VX_SCANLIB_DLL);
    vx::test::TTestPeer monitor(vx::test::TTestPeer::Reply(200, "0")); // refuses every verdict
    vx::app::TTrayOptions options;
    options.DecisionPort = vx::test::FreeLoopbackPort();
    options.VerdictPort = monitor.Port();
    options.MakeLoader = [] { return std::unique_ptr<vx::app::TWelcomeInfoLoaderThread>(); };
    vx::app::TFormPlimmTrayStatus window(options);
    if (!WaitUntil([&] { return window.TrayIcon().geometry().isValid(); })) {
        std::fprintf(stderr, "the tray icon was not embedded\n");
        return 1;
    }

    auto& list = window.DecisionDaemon().Decisions();
    list.Add({"decisiontype=decision", "logclass=changed",
              "item=C:\\Users\\Public\\" + std::string(600, 'x') + "\\" + std::string(600, 'y') +
                  "\\svchost32.exe",
              "identifiedas=Trojan.Autorun.Generic", "threatlevel=4",
              "olddata=C:\\Program Files\\Vendor\\updater.exe",
              "newdata=C:\\Users\\Public\\svchost32.exe /silent"});
    list.Add({"decisiontype=decision", "logclass=added", "item=HKLM\\Software\\Run\\Updater"});
    list.Add({"decisiontype=information", "logclass=added", "item=C:\\Windows\\hosts"});
    window.AskDecisions(list);
    vx::taskdialog::TJSTaskDialogForm* form = vx::dialogs::DecisionDialog()->Form();
    if (form == nullptr || !QTest::qWaitForWindowExposed(form)) {
        std::fprintf(stderr, "the decision dialog was not shown\n");
        return 1;
    }
    QTest::qWait(1300); // Allow and Deny take input again
    bool saved = SaveScreen(form->frameGeometry(), folder, DialogFile);

    QTest::qWait(300);
    saved = saved && SaveScreen(AroundTrayIcon(window), folder, BadgeFile, TrayZoom);
    window.ShowServiceStatus(2, vx::health::tsUnavailable);
    QTest::qWait(300);
    saved = saved && SaveScreen(AroundTrayIcon(window), folder, WarningFile, TrayZoom);

    bool told = false;
    QObject::connect(&window, &vx::app::TFormPlimmTrayStatus::Notified, [&] { told = true; });
    window.ApplyDecisionVerdict(0, true);
    if (!WaitUntil([&] { return told; })) {
        std::fprintf(stderr, "no notification came\n");
        return 1;
    }
    QTest::qWait(500);
    QWidget* balloon = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QBalloonTip") && widget->isVisible()) {
            balloon = widget;
        }
    }
    if (balloon == nullptr) {
        std::fprintf(stderr, "the notification is not on the screen\n");
        return 1;
    }
    saved = saved &&
            SaveScreen(balloon->frameGeometry().adjusted(-8, -8, 8, 8), folder, NotificationFile);
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    vx::test::TX11Session& desktop = vx::test::TX11Session::Shared();
    if (!desktop.Start()) {
        std::fprintf(stderr, "skipped: %s\n", desktop.Why().c_str());
        return Skipped;
    }
    ::setenv("DISPLAY", desktop.Display().c_str(), 1);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    int exitCode = 0;
    const auto chosen = vx::test::ScreenshotFolder(argc, argv, "vx_prompt_screenshots", exitCode);
    if (!chosen) {
        return exitCode;
    }
    vx::product::ApplyProductIdentity();
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        return Render(*chosen);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
