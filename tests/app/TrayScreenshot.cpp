// Renders the tray status window after its first status cycle with every service of the suite
// working, and the question that Exit asks, offscreen, to PNG files:
// vx_tray_screenshot <output folder>.
#include "TrayHarness.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "product/ProductIcon.h"
#include "support/ScreenshotTool.h"
#include "taskdialog/JSTaskDialogForm.h"

#include <cstdio>
#include <exception>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using namespace vx::app::test;

constexpr const char* StatusFile = "status-window.png";
constexpr const char* ExitFile = "exit-question.png";
constexpr std::size_t CycleReports = 8;

// Exit asks its question modally: saved, then answered No.
bool RenderExitQuestion(const QDir& Folder) {
    QAction* Exit = FindOne<QAction>(QStringLiteral("aExit"));
    if (Exit == nullptr) {
        std::fprintf(stderr, "no action aExit\n");
        return false;
    }
    bool Saved = false;
    QTimer::singleShot(0, [&] {
        auto* Form =
            qobject_cast<vx::taskdialog::TJSTaskDialogForm*>(QApplication::activeModalWidget());
        if (Form != nullptr) {
            Saved = vx::test::SaveScreenshot(*Form, Folder, ExitFile);
            Form->CommonButton(vx::taskdialog::cbNo)->click();
        }
    });
    Exit->trigger();
    return Saved;
}

int Render(const QDir& Folder) {
    TTrayServices Services(VX_DEFAULT_PREFIX, VX_SCANLIB_DLL);
    TSimulatedSuite Suite;
    TRecordingTrayWindow Window(Suite.Options(Services.InstallFolder()));
    if (!WaitUntil([&] { return Window.Reports().size() >= CycleReports; })) {
        std::fprintf(stderr, "the first status cycle did not complete\n");
        return 1;
    }
    QAction* ShowStatus = FindOne<QAction>(QStringLiteral("aShowStatus"));
    if (ShowStatus == nullptr) {
        std::fprintf(stderr, "no action aShowStatus\n");
        return 1;
    }
    ShowStatus->trigger();
    if (!QTest::qWaitForWindowExposed(&Window)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    const bool Saved =
        vx::test::SaveScreenshot(Window, Folder, StatusFile) && RenderExitQuestion(Folder);
    vx::dialogs::FreeDecisionDialog();
    return Saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    vx::test::PreferOffscreen();
    QApplication Application(argc, argv);
    int ExitCode = 0;
    const auto Chosen = vx::test::ScreenshotFolder(argc, argv, "vx_tray_screenshot", ExitCode);
    if (!Chosen) {
        return ExitCode;
    }
    const QDir& Folder = *Chosen;
    vx::product::ApplyProductIdentity();
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        return Render(Folder);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "%s\n", Error.what());
        return 1;
    }
}
