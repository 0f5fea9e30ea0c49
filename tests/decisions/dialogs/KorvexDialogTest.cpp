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
    const TKorvexDialog Dialog(49);
    EXPECT_EQ(Dialog.CatalogueIndex(), 49);
    EXPECT_TRUE(Dialog.Header.Visible);
    EXPECT_EQ(Dialog.Header.Font.Name, "Segoe UI");
    EXPECT_EQ(Dialog.Header.Font.Size, 14);
    EXPECT_EQ(Dialog.Header.Font.Color, RGBColor(255, 255, 255));
    EXPECT_TRUE(Dialog.Header.Gradient.Enabled);
    EXPECT_EQ(Dialog.Header.Gradient.StartColor, QColor(25, 145, 207));
    EXPECT_EQ(Dialog.Header.Gradient.EndColor, QColor(Qt::white));
    EXPECT_EQ(Dialog.Header.Gradient.Direction, gdHorizontal);
    EXPECT_EQ(Dialog.Header.Icon, tdiCustom);
    EXPECT_FALSE(Dialog.Header.Glyph.isNull());
    EXPECT_EQ(Dialog.HelpType, htKeyword);
    EXPECT_EQ(Dialog.Title, QStringLiteral("Korvex - Thornet 2"));
    EXPECT_EQ(Dialog.Header.Text, QStringLiteral("Korvex - Thornet 2 Tray"));
    EXPECT_EQ(Dialog.Instruction().Text,
              QStringLiteral("A system change that needs your attention has occured (%d/%d)!"));
}

TEST_F(KorvexDialog, HeaderTitleNeedsABlank) {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("VXTray"));
    EXPECT_EQ(TKorvexDialog(0).Header.Text, QStringLiteral("Korvex - Thornet 2"));
    EXPECT_TRUE(TKorvexDialog(0).Instruction().Text.isEmpty()); // "Generic" has none
}

TEST_F(KorvexDialog, CatalogueTexts) {
    TKorvexDialog Dialog(49);
    EXPECT_EQ(Dialog.GetText("item"), QStringLiteral("<b>Item:</b> "));
    EXPECT_TRUE(Dialog.GetText("NoSuchKey").isEmpty());
    EXPECT_EQ(TKorvexDialog::GetCatalogueText("VerificationShowAgain", 0),
              QStringLiteral("Show this dialog again?"));
    Dialog.ShowVerificationCheck(false);
    EXPECT_TRUE(Dialog.Verification.Visible);
    EXPECT_FALSE(Dialog.Verification.InitialState);
    EXPECT_EQ(Dialog.Verification.Text, QStringLiteral("Show this dialog again?"));
}

TEST_F(KorvexDialog, WithoutTheCatalogueTextsRaise) {
    decisions::FreeDialogTexts();
    EXPECT_THROW(TKorvexDialog(49), decisions::EDialogTextError);
}

TEST_F(KorvexDialog, HeaderBandShowsTheShield) {
    TKorvexDialog Dialog(0);
    Dialog.DialogOptions = {};
    Dialog.Execute();
    TJSBand* Band = Dialog.Form()->HeaderBand();
    ASSERT_NE(Band, nullptr);
    EXPECT_EQ(Band->GlyphRect().size(), QSize(32, 32));
    EXPECT_EQ(Band->height(), std::max(32 + 12, Dialog.Form()->HeaderView()->height() + 8));
    // The gradient runs from the product blue at the left to white at the right.
    const QImage Image = Band->grab().toImage();
    EXPECT_EQ(QColor(Image.pixel(0, Image.height() - 1)), QColor(25, 145, 207));
    EXPECT_GT(qGray(Image.pixel(Image.width() - 1, Image.height() - 1)), 245);
}

} // namespace
} // namespace vx::dialogs
