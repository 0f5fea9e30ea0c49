#include "LngTemplate.h"

#include "app/FormPlimmTrayStatus.h"
#include "config/ConfigManager.h"
#include "decisions/DialogTexts.h"
#include "i18n/AppTranslator.h"
#include "i18n/ui/TranslatorUi.h"
#include "platform/Exception.h"
#include "product/ProductIcon.h"
#include "product/ProductIdentity.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <QApplication>

namespace vx::vxlng {

namespace {

// Qt's notes about the offscreen platform (no runtime folder, no tray) are no concern of the
// template: only its critical messages reach standard error.
void CriticalQtMessagesOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "vxlng: %s\n", qPrintable(message));
    }
}

} // namespace

void Template(const std::string& path) {
    // The windows are walked, never shown.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(CriticalQtMessagesOnly);
    // What the window and the dialog texts need, and no machine: the template holds the
    // built-in texts, whatever a machine's configuration says.
    config::CreateConfigManager("vxlng");
    config::ConfigManager().SetProductName(product::ProductName);
    i18n::CreateAppTranslator();
    decisions::RegisterDialogTexts();
    int argc = 1;
    char name[] = "vxlng";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    product::ApplyProductIdentity();

    std::string text;
    {
        app::TTrayOptions options;
        options.RunServices = false;
        app::TFormPlimmTrayStatus window(options);
        const i18n::ui::TTranslatorUi translatorUi(*i18n::AppTranslator());
        text = translatorUi.LanguageTemplate().Text();
    }
    decisions::FreeDialogTexts();
    i18n::FreeAppTranslator();
    config::FreeConfigManager();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (!file) {
        throw vx::Exception("cannot write " + path);
    }
}

} // namespace vx::vxlng
