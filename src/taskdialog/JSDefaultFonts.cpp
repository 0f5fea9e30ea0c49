#include "taskdialog/JSDefaultFonts.h"

namespace vx::taskdialog {
namespace {

constexpr int InstructionPoints = 12;
constexpr std::uint32_t InstructionColor = RGBColor(0, 51, 153);

} // namespace

TJSDefaultFontTable InitialJSDefaultFonts() {
    TJSDefaultFontTable Table{};
    Table[dfInstruction].Size = InstructionPoints;
    Table[dfInstruction].Color = InstructionColor;
    return Table;
}

TJSDefaultFontTable& TJSDefaultFonts() {
    static TJSDefaultFontTable Table = InitialJSDefaultFonts();
    return Table;
}

} // namespace vx::taskdialog
