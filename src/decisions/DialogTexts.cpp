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

void RegisterDialogTexts(i18n::TAppTranslator* Translator) {
    std::array<std::shared_ptr<TDialogTranslator>, DialogCount> Sections;
    for (int K = 0; K < DialogCount; ++K) {
        const TDialogDefault& Dialog = DialogDefaults[static_cast<std::size_t>(K)];
        Sections[static_cast<std::size_t>(K)] =
            TDialogTranslator::Create(SectionPrefix + std::string(Dialog.Name), Translator);
        if (*Dialog.Instruction != '\0') {
            Sections[static_cast<std::size_t>(K)]->AddText(InstructionKey, Dialog.Instruction);
        }
    }
    for (const TDialogFurtherText& Further : DialogFurtherTexts) {
        Sections[static_cast<std::size_t>(Further.Dialog)]->AddText(Further.Key, Further.Text);
    }
    TheDialogTranslators = std::move(Sections);
}

void RegisterDialogTexts() {
    RegisterDialogTexts(i18n::AppTranslator());
}

void FreeDialogTexts() {
    for (auto& Section : TheDialogTranslators) {
        Section.reset();
    }
}

TDialogTranslator& DialogTranslators(int Index) {
    if (Index < 0 || Index >= DialogCount) {
        throw EDialogTextError(Format(NotADialogText, Index));
    }
    const auto& Section = TheDialogTranslators[static_cast<std::size_t>(Index)];
    if (!Section) {
        throw EDialogTextError(NotBuiltText);
    }
    return *Section;
}

std::string GetCatalogueText(int Index, std::string_view Key) {
    return DialogTranslators(Index).GetText(Key);
}

} // namespace vx::decisions
