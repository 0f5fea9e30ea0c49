// VXTray: the suite's tray companion.
#include "app/FormPlimmTrayStatus.h"
#include "app/ProcessServices.h"
#include "app/QtUiThread.h"
#include "app/StopSignals.h"
#include "config/ConfigManager.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "i18n/AppTranslator.h"
#include "i18n/ui/TranslatorUi.h"
#include "product/ProductIcon.h"
#include "product/ProductIdentity.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include <QApplication>
#include <QSystemTrayIcon>

namespace {

// Without a display Qt would refuse to start: run every window offscreen instead.
void ChooseOffscreenWithoutDisplay() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if ((display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0') &&
        (platform == nullptr || *platform == '\0')) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        std::cerr << "VXTray: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                     "running offscreen\n";
    }
}

} // namespace

int main(int argc, char** argv) {
    vx::app::TStopSignals::HoldUntilHandled();
    // The executable's base name is the application's title until the product's is set.
    const std::string defaultTitle = std::filesystem::path(argv[0]).stem().string();
    vx::app::TProcessServices services(defaultTitle);
    vx::config::ConfigManager().SetProductName(vx::product::ProductName);

    ChooseOffscreenWithoutDisplay();
    QApplication application(argc, argv);
    vx::product::ApplyProductIdentity();
    QApplication::setQuitOnLastWindowClosed(false);
    vx::app::TQtUiThread uiThread;
    vx::app::TStopSignals stopSignals;
    QObject::connect(&stopSignals, &vx::app::TStopSignals::StopRequested, &application,
                     &QApplication::quit);
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        std::cerr << "VXTray: no system tray is available; the services and the dialogs "
                     "still work\n";
    }

    int exitCode = 0;
    {
        vx::app::TFormPlimmTrayStatus mainWindow; // created hidden
        QObject::connect(&mainWindow, &vx::app::TFormPlimmTrayStatus::ExitConfirmed, &application,
                         &QApplication::quit);
        // The language the user chose last, once the windows it translates exist.
        vx::i18n::ui::TTranslatorUi translatorUi(*vx::i18n::AppTranslator());
        translatorUi.Translator().LoadRememberedLanguage();
        exitCode = QApplication::exec();
    } // the window stops its loader and its daemon here, pumping their last reports, then
      // frees its decision dialog
    return exitCode;
}
