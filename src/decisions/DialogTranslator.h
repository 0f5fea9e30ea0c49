#pragma once

#include "decisions/KeyValueLines.h"
#include "i18n/AppTranslator.h"
#include "i18n/LanguageFile.h"

#include <memory>
#include <string>
#include <string_view>

namespace vx::decisions {

// The texts of one dialog: key=text lines in registration order, in the language section
// FSection ("Dialog." + the dialog's name). A loaded language file replaces the texts it
// names; the save side writes them all into a language template. User-interface thread only.
class TDialogTranslator {
public:
    // A section whose LoadTexts and SaveTexts become a load and a save handler of `translator`
    // (none when null). The handlers hold the section weakly: once it is freed they do nothing.
    static std::shared_ptr<TDialogTranslator> Create(const std::string& sectionName,
                                                     i18n::TAppTranslator* translator);
    explicit TDialogTranslator(std::string sectionName);

    // Appends the line `key` "=" `text`.
    void AddText(std::string_view key, std::string_view text);

    // Every text takes the file's value of its key in FSection, its current text being the
    // default; a key the file gives empty makes the text empty. A line whose read fails keeps
    // its text and the next line is read.
    void LoadTexts(const i18n::TLanguageFile& ini);
    // Writes every text under its key into FSection.
    void SaveTexts(i18n::TLanguageFile& ini) const;

    // The text of the first line whose key equals `key` without regard to case; empty when
    // there is none.
    std::string GetText(std::string_view key) const;

    const std::string& Section() const { return FSection; }
    const TStrings& Texts() const { return FTexts; }

private:
    std::string FSection;
    TStrings FTexts;
};

} // namespace vx::decisions
