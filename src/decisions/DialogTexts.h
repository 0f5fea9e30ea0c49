#pragma once

#include "decisions/DialogTextData.h"
#include "decisions/DialogTranslator.h"
#include "i18n/AppTranslator.h"
#include "platform/Exception.h"

#include <string>
#include <string_view>

namespace vx::decisions {

class EDialogTextError : public vx::Exception {
public:
    using vx::Exception::Exception;
};

// The dialog text catalogue: one TDialogTranslator per dialog number, built at start-up and
// freed at shutdown. User-interface thread only.

// Builds the 50 sections with their default texts, each hooked into `translator` (none when
// null) in section order. Building again replaces the catalogue; the old sections' hooks then
// do nothing.
void RegisterDialogTexts(i18n::TAppTranslator* translator);
// The same with the process-wide translator, if there is one.
void RegisterDialogTexts();
void FreeDialogTexts();

// The section of dialog `index`; raises EDialogTextError when `index` is not a dialog number or
// the catalogue is not built.
TDialogTranslator& DialogTranslators(int index);
// The text of `key` in the section of dialog `index` (empty when the key is absent).
std::string GetCatalogueText(int index, std::string_view key);

} // namespace vx::decisions
