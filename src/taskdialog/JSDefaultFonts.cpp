#include "taskdialog/JSDefaultFonts.h"

namespace vx::taskdialog {
namespace {

constexpr int InstructionPoints = 12;
constexpr std::uint32_t InstructionColor = RGBColor(0, 51, 153);

} // namespace

TJSDefaultFontTable InitialJSDefaultFonts() {
    TJSDefaultFontTable table{};
    table[dfInstruction].Size = InstructionPoints;
    table[dfInstruction].Color = InstructionColor;
    return table;
}

TJSDefaultFontTable& TJSDefaultFonts() {
    static TJSDefaultFontTable table = InitialJSDefaultFonts();
    return table;
}

} // namespace vx::taskdialog
