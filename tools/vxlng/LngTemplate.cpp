#include "LngTemplate.h"

#include "app/FormPlimmTrayStatus.h"
#include "app/ProcessServices.h"
#include "config/ConfigManager.h"
#include "i18n/AppTranslator.h"
#include "i18n/ui/TranslatorUi.h"
#include "platform/Exception.h"
#include "product/ProductIcon.h"
#include "product/ProductIdentity.h"

#include <cstdlib>
#include <fstream>

#include <QApplication>

namespace vx::vxlng {

void Template(const std::string& path) {
    // The windows are walked, never shown.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app::TProcessServices services("vxlng");
    config::ConfigManager().SetProductName(product::ProductName);
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
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (!file) {
        throw vx::Exception("cannot write " + path);
    }
}

} // namespace vx::vxlng
