#include "decisions/DialogTranslator.h"

#include <utility>

namespace vx::decisions {
namespace {

constexpr char KeySeparator = '=';

// Key and text of a line; a line without "=" is all key.
std::pair<std::string, std::string> SplitLine(const std::string& Line) {
    const auto Separator = Line.find(KeySeparator);
    if (Separator == std::string::npos) {
        return {Line, {}};
    }
    return {Line.substr(0, Separator), Line.substr(Separator + 1)};
}

} // namespace

std::shared_ptr<TDialogTranslator> TDialogTranslator::Create(const std::string& SectionName,
                                                             i18n::TAppTranslator* Translator) {
    auto Section = std::make_shared<TDialogTranslator>(SectionName);
    if (Translator != nullptr) {
        const std::weak_ptr<TDialogTranslator> Weak = Section;
        Translator->AddLoadHandler([Weak](const i18n::TLanguageFile& Ini) {
            if (const auto Target = Weak.lock()) {
                Target->LoadTexts(Ini);
            }
        });
        Translator->AddSaveHandler([Weak](i18n::TLanguageFile& Ini) {
            if (const auto Target = Weak.lock()) {
                Target->SaveTexts(Ini);
            }
        });
    }
    return Section;
}

TDialogTranslator::TDialogTranslator(std::string SectionName) : FSection(std::move(SectionName)) {}

void TDialogTranslator::AddText(std::string_view Key, std::string_view Text) {
    std::string Line(Key);
    Line += KeySeparator;
    Line += Text;
    FTexts.push_back(std::move(Line));
}

void TDialogTranslator::LoadTexts(const i18n::TLanguageFile& Ini) {
    for (std::string& Line : FTexts) {
        try {
            auto [Key, Default] = SplitLine(Line);
            std::string Text = Ini.ReadString(FSection, Key, Default);
            Line = Key + KeySeparator + Text;
        } catch (const std::exception&) {
            // This text keeps its current value; the others are still read.
        }
    }
}

void TDialogTranslator::SaveTexts(i18n::TLanguageFile& Ini) const {
    for (const std::string& Line : FTexts) {
        const auto [Key, Text] = SplitLine(Line);
        Ini.WriteString(FSection, Key, Text);
    }
}

std::string TDialogTranslator::GetText(std::string_view Key) const {
    return ValueOf(FTexts, Key);
}

} // namespace vx::decisions
