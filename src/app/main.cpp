// VXTray: the suite's tray companion.
#include "app/FormPlimmTrayStatus.h"
#include "app/HelpPages.h"
#include "app/ProcessServices.h"
#include "app/QtPlatformChoice.h"
#include "app/QtUiThread.h"
#include "app/StopSignals.h"
#include "app/TrayHost.h"
#include "config/ConfigManager.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "i18n/AppTranslator.h"
#include "i18n/ui/TranslatorUi.h"
#include "product/ProductIcon.h"
#include "product/ProductIdentity.h"

#include <array>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include <QApplication>

namespace {

constexpr const char* ProgramPrefix = "VXTray: ";

const char* Environment(const char* name) {
    return std::getenv(name);
}

// Asks Qt for the display the session names, falling back to offscreen rather than aborting.
// True when a display is tried first.
bool ChooseQtPlatforms() {
    const auto choice = vx::app::ChooseQtPlatforms(
        Environment("QT_QPA_PLATFORM"), Environment("WAYLAND_DISPLAY"), Environment("DISPLAY"));
    ::setenv("QT_QPA_PLATFORM", choice.Platforms.c_str(), 1);
    if (!choice.Notice.empty()) {
        std::cerr << ProgramPrefix << choice.Notice << "\n";
    }
    return choice.TriesDisplayFirst();
}

} // namespace

int main(int /*argc*/, char** argv) {
    vx::app::TStopSignals::HoldUntilHandled();
    // The executable's base name is the application's title until the product's is set.
    const std::string defaultTitle = std::filesystem::path(argv[0]).stem().string();
    vx::app::TProcessServices services(defaultTitle);
    vx::config::ConfigManager().SetProductName(vx::product::ProductName);

    const bool displayNamed = ChooseQtPlatforms();
    // Qt reads options such as -style or -platform from the arguments it is given; the program
    // takes none, so Qt sees the program's name alone.
    int qtArgc = 1;
    std::array<char*, 2> qtArgv{argv[0], nullptr};
    QApplication application(qtArgc, qtArgv.data());
    if (displayNamed && vx::app::RunsOffscreen()) {
        std::cerr << ProgramPrefix
                  << vx::app::OffscreenFallbackNotice(Environment("WAYLAND_DISPLAY"),
                                                      Environment("DISPLAY"))
                  << "\n";
    }
    vx::product::ApplyProductIdentity();
    vx::app::InstallHelp();
    QApplication::setQuitOnLastWindowClosed(false);
    vx::app::TQtUiThread uiThread;
    vx::app::TStopSignals stopSignals;
    // exit, not quit: quit first asks every visible window to close, and the status window
    // refuses (it hides instead), which would cancel the stop.
    const auto end = [] { QApplication::exit(0); };
    QObject::connect(&stopSignals, &vx::app::TStopSignals::StopRequested, &application, end);

    int exitCode = 0;
    {
        vx::app::TFormPlimmTrayStatus mainWindow; // created hidden
        mainWindow.WatchTrayHost();
        QObject::connect(&mainWindow, &vx::app::TFormPlimmTrayStatus::ExitConfirmed, &application,
                         end);
        // The language the user chose last, once the windows it translates exist.
        vx::i18n::ui::TTranslatorUi translatorUi(*vx::i18n::AppTranslator());
        translatorUi.Translator().LoadRememberedLanguage();
        exitCode = QApplication::exec();
    } // the window stops its loader and its daemon here, pumping their last reports, then
      // frees its decision dialog
    return exitCode;
}
