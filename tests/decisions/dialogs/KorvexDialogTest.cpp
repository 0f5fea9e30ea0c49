#include "decisions/dialogs/KorvexDialog.h"

#include "KorvexFixture.h"
#include "taskdialog/JSWidgets.h"
#include "taskdialog/TaskDialogTestSupport.h"

#include <QImage>
#include <gtest/gtest.h>

namespace vx::dialogs {
namespace {

using namespace taskdialog;

using KorvexDialog = test::TKorvexFixture;

TEST_F(KorvexDialog, ProductLook) {
    const TKorvexDialog dialog(49);
    EXPECT_EQ(dialog.CatalogueIndex(), 49);
    EXPECT_TRUE(dialog.Header.Visible);
    EXPECT_EQ(dialog.Header.Font.Name, "Segoe UI");
    EXPECT_EQ(dialog.Header.Font.Size, 14);
    EXPECT_EQ(dialog.Header.Font.Color, RGBColor(255, 255, 255));
    EXPECT_TRUE(dialog.Header.Gradient.Enabled);
    EXPECT_EQ(dialog.Header.Gradient.StartColor, QColor(25, 145, 207));
    EXPECT_EQ(dialog.Header.Gradient.EndColor, QColor(Qt::white));
    EXPECT_EQ(dialog.Header.Gradient.Direction, gdHorizontal);
    EXPECT_EQ(dialog.Header.Icon, tdiCustom);
    EXPECT_FALSE(dialog.Header.Glyph.isNull());
    EXPECT_EQ(dialog.HelpType, htKeyword);
    EXPECT_EQ(dialog.Title, QStringLiteral("Korvex - Thornet 2"));
    EXPECT_EQ(dialog.Header.Text, QStringLiteral("Korvex - Thornet 2 Tray"));
    EXPECT_EQ(dialog.Instruction().Text,
              QStringLiteral("A system change that needs your attention has occured (%d/%d)!"));
}

TEST_F(KorvexDialog, HeaderTitleNeedsABlank) {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("VXTray"));
    EXPECT_EQ(TKorvexDialog(0).Header.Text, QStringLiteral("Korvex - Thornet 2"));
    EXPECT_TRUE(TKorvexDialog(0).Instruction().Text.isEmpty()); // "Generic" has none
}

TEST_F(KorvexDialog, CatalogueTexts) {
    TKorvexDialog dialog(49);
    EXPECT_EQ(dialog.GetText("item"), QStringLiteral("<b>Item:</b> "));
    EXPECT_TRUE(dialog.GetText("NoSuchKey").isEmpty());
    EXPECT_EQ(TKorvexDialog::GetCatalogueText("VerificationShowAgain", 0),
              QStringLiteral("Show this dialog again?"));
    dialog.ShowVerificationCheck(false);
    EXPECT_TRUE(dialog.Verification.Visible);
    EXPECT_FALSE(dialog.Verification.InitialState);
    EXPECT_EQ(dialog.Verification.Text, QStringLiteral("Show this dialog again?"));
}

TEST_F(KorvexDialog, WithoutTheCatalogueTextsRaise) {
    decisions::FreeDialogTexts();
    EXPECT_THROW(TKorvexDialog(49), decisions::EDialogTextError);
}

TEST_F(KorvexDialog, HeaderBandShowsTheShield) {
    TKorvexDialog dialog(0);
    dialog.DialogOptions = {};
    dialog.Execute();
    TJSBand* band = dialog.Form()->HeaderBand();
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->GlyphRect().size(), QSize(32, 32));
    EXPECT_EQ(band->height(), std::max(32 + 12, dialog.Form()->HeaderView()->height() + 8));
    // The gradient runs from the product blue at the left to white at the right.
    const QImage image = band->grab().toImage();
    EXPECT_EQ(QColor(image.pixel(0, image.height() - 1)), QColor(25, 145, 207));
    EXPECT_GT(qGray(image.pixel(image.width() - 1, image.height() - 1)), 245);
}

} // namespace
} // namespace vx::dialogs
