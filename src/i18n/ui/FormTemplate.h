#pragma once

#include "i18n/LanguageFile.h"
#include "i18n/ui/FormTranslator.h"

#include <QString>

class QWidget;

// The save side of a window's translation: writes every text that loading a language would
// look up on `form` into `ini`, under the same sections and keys, encoded so that loading the
// file gives the texts back. `onOwnerSave`, when set, is raised for each component as loading
// raises its load event. A starting point for a translator's language file.
namespace vx::i18n::ui {

void WriteFormTexts(QWidget& form, TLanguageFile& ini, const TOwnerSaveHandler& onOwnerSave);

// A control text as the file must hold it to come back as `text`: "%" written "%%%%" (control
// texts pass "%%" twice), line breaks as "%0D%0A", and "&" as "&&" where `doubledAmpersands`.
// (A literal "%0D%0A" inside a text cannot be written: loading reads it as a line break.)
std::string EncodeControlText(const QString& text, bool doubledAmpersands);
// An item list as the file must hold it: "%" written "%%", lines joined by "%0D%0A".
std::string EncodeItems(const QStringList& items);

} // namespace vx::i18n::ui
