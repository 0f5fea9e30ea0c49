#include "decisions/dialogs/KorvexDialog.h"

#include "decisions/DialogTexts.h"
#include "decisions/dialogs/DialogText.h"
#include "product/ProductIcon.h"
#include "product/ProductIdentity.h"
#include "taskdialog/JSLook.h"

#include <QGuiApplication>

namespace vx::dialogs {

using namespace taskdialog;
namespace {

constexpr const char* HeaderFontName = "Segoe UI";
constexpr int HeaderFontPoints = 14;
constexpr std::uint32_t HeaderFontColor = RGBColor(255, 255, 255);
constexpr std::uint32_t HeaderStartColor = RGBColor(25, 145, 207);
constexpr std::uint32_t HeaderEndColor = RGBColor(255, 255, 255);
constexpr int HeaderGlyphPixels = 32;
constexpr const char* InstructionKey = "Instruction";
constexpr const char* VerificationKey = "VerificationShowAgain";
constexpr int GenericSection = 0;

} // namespace

TKorvexDialog::TKorvexDialog(std::uint8_t catalogueIndex) : FCatalogueIndex(catalogueIndex) {
    SetupHeader();
    HelpType = htKeyword;
    Title = QString::fromUtf8(product::ProductName);
    const QString applicationTitle = QGuiApplication::applicationDisplayName();
    Header.Text = applicationTitle.contains(u' ') ? applicationTitle
                                                  : QString::fromUtf8(product::ProductName);
    Instruction().Text = GetText(InstructionKey);
}

void TKorvexDialog::SetupHeader() {
    Header.Visible = true;
    Header.Font.Name = HeaderFontName;
    Header.Font.Size = HeaderFontPoints;
    Header.Font.Color = HeaderFontColor;
    Header.Gradient.StartColor = ToQColor(HeaderStartColor);
    Header.Gradient.EndColor = ToQColor(HeaderEndColor);
    Header.Gradient.Enabled = true;
    Header.Icon = tdiCustom;
    Header.Glyph = product::ProductIconPixmap(HeaderGlyphPixels,
                                              qApp != nullptr ? qApp->devicePixelRatio() : 1.0);
}

std::string TKorvexDialog::GetTextBytes(std::string_view key) const {
    return decisions::GetCatalogueText(FCatalogueIndex, key);
}

QString TKorvexDialog::GetText(std::string_view key) const {
    return DialogText(GetTextBytes(key));
}

QString TKorvexDialog::GetCatalogueText(std::string_view key, int index) {
    return DialogText(decisions::GetCatalogueText(index, key));
}

void TKorvexDialog::ShowVerificationCheck(bool state) {
    Verification.Text = GetCatalogueText(VerificationKey, GenericSection);
    Verification.Visible = true;
    Verification.InitialState = state;
}

} // namespace vx::dialogs
