// Renders the tray status window after its first status cycle with every service of the suite
// working, offscreen, to a PNG file: vx_tray_screenshot <output folder>.
#include "TrayHarness.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "decisions/dialogs/KorvexIcon.h"
#include "support/ScreenshotTool.h"

#include <cstdio>
#include <exception>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTest>

namespace {

using namespace vx::app::test;

constexpr const char* ApplicationTitle = "Korvex - Thornet 2 Tray";
constexpr const char* ScreenshotFile = "status-window.png";
constexpr std::size_t CycleReports = 8;

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
    const QString Path = Folder.filePath(QString::fromLatin1(ScreenshotFile));
    const bool Saved = Window.grab().save(Path);
    vx::dialogs::FreeDecisionDialog();
    if (!Saved) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(Path));
        return 1;
    }
    std::printf("%s\n", qPrintable(Path));
    return 0;
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
    QApplication::setApplicationDisplayName(QString::fromLatin1(ApplicationTitle));
    QApplication::setWindowIcon(vx::dialogs::KorvexMainIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        return Render(Folder);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "%s\n", Error.what());
        return 1;
    }
}
