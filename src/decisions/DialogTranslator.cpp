#include "decisions/DialogTranslator.h"

#include <utility>

namespace vx::decisions {
namespace {

constexpr char KeySeparator = '=';

// `key` and text of a line; a line without "=" is all key.
std::pair<std::string, std::string> SplitLine(const std::string& line) {
    const auto separator = line.find(KeySeparator);
    if (separator == std::string::npos) {
        return {line, {}};
    }
    return {line.substr(0, separator), line.substr(separator + 1)};
}

} // namespace

std::shared_ptr<TDialogTranslator> TDialogTranslator::Create(const std::string& sectionName,
                                                             i18n::TAppTranslator* translator) {
    auto section = std::make_shared<TDialogTranslator>(sectionName);
    if (translator != nullptr) {
        const std::weak_ptr<TDialogTranslator> weak = section;
        translator->AddLoadHandler([weak](const i18n::TLanguageFile& ini) {
            if (const auto target = weak.lock()) {
                target->LoadTexts(ini);
            }
        });
        translator->AddSaveHandler([weak](i18n::TLanguageFile& ini) {
            if (const auto target = weak.lock()) {
                target->SaveTexts(ini);
            }
        });
    }
    return section;
}

TDialogTranslator::TDialogTranslator(std::string sectionName) : FSection(std::move(sectionName)) {}

void TDialogTranslator::AddText(std::string_view key, std::string_view text) {
    std::string line(key);
    line += KeySeparator;
    line += text;
    FTexts.push_back(std::move(line));
}

void TDialogTranslator::LoadTexts(const i18n::TLanguageFile& ini) {
    for (std::string& line : FTexts) {
        try {
            auto [key, fallback] = SplitLine(line);
            std::string text = ini.ReadString(FSection, key, fallback);
            line = key;
            line.append(1, KeySeparator).append(text);
        } catch (const std::exception&) {
            // This text keeps its current value; the others are still read.
        }
    }
}

void TDialogTranslator::SaveTexts(i18n::TLanguageFile& ini) const {
    for (const std::string& line : FTexts) {
        const auto [key, text] = SplitLine(line);
        ini.WriteString(FSection, key, text);
    }
}

std::string TDialogTranslator::GetText(std::string_view key) const {
    return ValueOf(FTexts, key);
}

} // namespace vx::decisions
