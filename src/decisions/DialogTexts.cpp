#include "decisions/DialogTexts.h"

#include "platform/Format.h"

#include <array>
#include <memory>

namespace vx::decisions {
namespace {

constexpr const char* SectionPrefix = "Dialog.";
constexpr const char* InstructionKey = "Instruction";
constexpr const char* NotADialogText = "No dialog text section %d";
constexpr const char* NotBuiltText = "The dialog texts have not been registered";

std::array<std::shared_ptr<TDialogTranslator>, DialogCount> TheDialogTranslators;

} // namespace

void RegisterDialogTexts(i18n::TAppTranslator* translator) {
    std::array<std::shared_ptr<TDialogTranslator>, DialogCount> sections;
    for (int k = 0; k < DialogCount; ++k) {
        const TDialogDefault& dialog = DialogDefaults[static_cast<std::size_t>(k)];
        sections[static_cast<std::size_t>(k)] =
            TDialogTranslator::Create(SectionPrefix + std::string(dialog.Name), translator);
        if (*dialog.Instruction != '\0') {
            sections[static_cast<std::size_t>(k)]->AddText(InstructionKey, dialog.Instruction);
        }
    }
    for (const TDialogFurtherText& further : DialogFurtherTexts) {
        sections[static_cast<std::size_t>(further.Dialog)]->AddText(further.Key, further.Text);
    }
    TheDialogTranslators = std::move(sections);
}

void RegisterDialogTexts() {
    RegisterDialogTexts(i18n::AppTranslator());
}

void FreeDialogTexts() {
    for (auto& section : TheDialogTranslators) {
        section.reset();
    }
}

TDialogTranslator& DialogTranslators(int index) {
    if (index < 0 || index >= DialogCount) {
        throw EDialogTextError(Format(NotADialogText, index));
    }
    const auto& section = TheDialogTranslators[static_cast<std::size_t>(index)];
    if (!section) {
        throw EDialogTextError(NotBuiltText);
    }
    return *section;
}

std::string GetCatalogueText(int index, std::string_view key) {
    return DialogTranslators(index).GetText(key);
}

} // namespace vx::decisions
