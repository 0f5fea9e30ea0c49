// Renders the tray status window after its first status cycle with every service of the suite
// working, and the question that Exit asks; then, with German chosen, a decision dialog. Offscreen,
// to PNG files: vx_tray_screenshot <output folder>.
#include "TrayHarness.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "i18n/AppTranslator.h"
#include "i18n/ui/TranslatorUi.h"
#include "product/ProductIcon.h"
#include "support/RegCalls.h"
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
constexpr const char* GermanDialogFile = "decision-dialog-de.png";
constexpr std::size_t CycleReports = 8;
constexpr const char* ChoiceKey = "Software\\Qelvane Limited\\Korvex - Thornet 2";

// Exit asks its question modally: saved, then answered No.
bool RenderExitQuestion(const QDir& folder) {
    QAction* exit = FindOne<QAction>(QStringLiteral("aExit"));
    if (exit == nullptr) {
        std::fprintf(stderr, "no action aExit\n");
        return false;
    }
    bool saved = false;
    QTimer::singleShot(0, [&] {
        auto* form =
            qobject_cast<vx::taskdialog::TJSTaskDialogForm*>(QApplication::activeModalWidget());
        if (form != nullptr) {
            saved = vx::test::SaveScreenshot(*form, folder, ExitFile);
            form->CommonButton(vx::taskdialog::cbNo)->click();
        }
    });
    exit->trigger();
    return saved;
}

// German chosen as the user chooses it and loaded as start-up loads it, then a decision.
bool RenderGerman(TRecordingTrayWindow& window, const QDir& folder) {
    vx::test::SetText(vx::win::HKEY_CURRENT_USER, ChoiceKey, "Language", "Deutsch");
    vx::i18n::ui::TTranslatorUi translatorUi(*vx::i18n::AppTranslator());
    if (!translatorUi.Translator().LoadRememberedLanguage()) {
        std::fprintf(stderr, "Languages/Deutsch.lng was not loaded\n");
        return false;
    }
    vx::decisions::TDecisionList& list = window.DecisionDaemon().Decisions();
    list.Add({"module=Registry", "decisiontype=decision", "logclass=added",
              "item=HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater",
              "information=Neuer Autostart-Eintrag", "newdata=C:\\Users\\Public\\updater.exe",
              "identifiedas=Unbekannt", "threatlevel=2"});
    window.AskDecisions(list);
    auto* dialog = vx::dialogs::DecisionDialog();
    if (dialog == nullptr || dialog->Form() == nullptr ||
        !QTest::qWaitForWindowExposed(dialog->Form())) {
        std::fprintf(stderr, "the decision dialog was not shown\n");
        return false;
    }
    return vx::test::SaveScreenshot(*dialog->Form(), folder, GermanDialogFile);
}

int Render(const QDir& folder) {
    TTrayServices services(VX_DEFAULT_PREFIX, VX_SCANLIB_DLL);
    TSimulatedSuite suite;
    TRecordingTrayWindow window(suite.Options(services.InstallFolder()));
    if (!WaitUntil([&] { return window.Reports().size() >= CycleReports; })) {
        std::fprintf(stderr, "the first status cycle did not complete\n");
        return 1;
    }
    QAction* showStatus = FindOne<QAction>(QStringLiteral("aShowStatus"));
    if (showStatus == nullptr) {
        std::fprintf(stderr, "no action aShowStatus\n");
        return 1;
    }
    showStatus->trigger();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    const bool saved = vx::test::SaveScreenshot(window, folder, StatusFile) &&
                       RenderExitQuestion(folder) && RenderGerman(window, folder);
    return saved ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    vx::test::PreferOffscreen();
    QApplication application(argc, argv);
    int exitCode = 0;
    const auto chosen = vx::test::ScreenshotFolder(argc, argv, "vx_tray_screenshot", exitCode);
    if (!chosen) {
        return exitCode;
    }
    const QDir& folder = *chosen;
    vx::product::ApplyProductIdentity();
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        return Render(folder);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
