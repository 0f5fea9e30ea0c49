#pragma once

#include "i18n/LanguageFile.h"
#include "i18n/LanguageText.h"
#include "i18n/ui/FormWalk.h"

#include <functional>
#include <string>

#include <QString>

class QObject;
class QWidget;

// Applying a loaded language file to one window: its caption, fonts and direction, then every
// control, menu and action list on it, each text looked up under a section and key built from
// the names of the window, its containers, menus and lists (FormWalk.h). A text the file does
// not hold keeps its current value. Runs on the user-interface thread.
namespace vx::i18n::ui {

// Raised for each component of a translated window: the section of the component, the
// component, the language file.
using TOwnerHandler =
    std::function<void(const std::string& section, QObject* obj, const TLanguageFile& ini)>;
// The save side: raised for each component of a window whose texts are written into `ini`.
using TOwnerSaveHandler =
    std::function<void(const std::string& section, QObject* obj, TLanguageFile& ini)>;

// What the walk of one window carries: the file and the font settings of its "Main" section.
struct TTranslateContext {
    const TLanguageFile& Ini;
    TFontSettings Font;
};

// Translates `form` and everything on it with the font settings `font` (read from the file's
// "Main" section by the caller, who records them). `onOwnerLoad` may be empty.
void TranslateForm(QWidget& form, const TLanguageFile& ini, const TFontSettings& font,
                   const TOwnerHandler& onOwnerLoad);

// One control under `section`, with its index among its siblings (used for its key when it has
// no name), and, when it is a named container, its child controls and action lists.
void TranslateControl(const std::string& section, QWidget* control, int index,
                      const TTranslateContext& context);
// The named entries of a menu or menu bar, and their submenus.
void TranslateMenuItems(const std::string& section, QWidget& menu,
                        const TTranslateContext& context);
// The captions and hints of the actions of one list.
void TranslateActions(const std::string& section, QObject& actionList,
                      const TTranslateContext& context);

// A control text as the file holds it: the two escapes decoded, then "%%" made "%" once more;
// for a label that does not show accelerators, "&&" made "&".
QString DecodeControlText(std::string text, bool doubledAmpersands);

} // namespace vx::i18n::ui
