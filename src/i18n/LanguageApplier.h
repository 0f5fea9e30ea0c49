#pragma once

#include "i18n/LanguageFile.h"
#include "i18n/LanguageText.h"

#include <string>

namespace vx::i18n {

// What loading a language does to the user interface, in the order the translator calls it.
// The user-interface side implements it and attaches itself to the translator; without one,
// a load changes only the translator's own state and runs the handlers. Called on the
// user-interface thread.
class TLanguageApplier {
public:
    virtual ~TLanguageApplier() = default;

    // The application's help file (a path in the installation folder) and reading direction.
    virtual void SetApplicationHelpFile(const std::string& path) = 0;
    virtual void SetApplicationBiDiMode(TBiDiMode mode) = 0;
    // The flag pictures of section "Images".
    virtual void LoadFlags(const TLanguageFile& ini) = 0;
    // Every form of the application, in order; an error in one form is the applier's to
    // swallow. Records the file's font settings in the translator's LoadedFont.
    virtual void TranslateForms(const TLanguageFile& ini) = 0;
    // The screen's fonts, the default font and the task-dialog default fonts take `font`.
    virtual void ApplyFonts(const TFontSettings& font) = 0;
};

} // namespace vx::i18n
