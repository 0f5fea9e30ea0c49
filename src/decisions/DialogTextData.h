#pragma once

#include <array>

namespace vx::decisions {

// The dialogs of the suite that have a text section, by dialog number.
inline constexpr int DialogCount = 50;
// Sections of the dialogs this system shows.
inline constexpr int GenericDialog = 0;
inline constexpr int PlimmDecisionsDialog = 49;

// A dialog's name (its section is "Dialog." + Name) and its default "Instruction" text; an
// empty instruction means the section has no "Instruction" key.
struct TDialogDefault {
    const char* Name;
    const char* Instruction;
};

// A further text of dialog Dialog, added after all instructions.
struct TDialogFurtherText {
    int Dialog;
    const char* Key;
    const char* Text;
};

extern const std::array<TDialogDefault, DialogCount> DialogDefaults;
extern const std::array<TDialogFurtherText, 24> DialogFurtherTexts;

} // namespace vx::decisions
