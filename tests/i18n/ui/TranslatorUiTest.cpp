#include "i18n/ui/TranslatorUi.h"

#include "config/ConfigManager.h"
#include "i18n/AppTranslator.h"
#include "platform/Files.h"
#include "support/RegCalls.h"
#include "support/TempPrefix.h"
#include "taskdialog/JSDefaultFonts.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QToolTip>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace vx::i18n::ui {
namespace {

namespace fs = std::filesystem;

constexpr const char* ProductName = "Korvex - Thornet 2";
constexpr const char* ChoiceKey = "Software\\Qelvane Limited\\Korvex - Thornet 2";

// A bitmap file of `side` × `side` pixels as the hexadecimal text of a flag.
std::string FlagText(int side) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toHex().toUpper().toStdString();
}

class TranslatorUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        FPrefix.Install();
        config::CreateConfigManager(ProductName);
        FTranslator = std::make_unique<TAppTranslator>();
        FTranslator->SetFilePath((FPrefix.Dir() / "Languages").string() + "/");
        fs::create_directories(FPrefix.Dir() / "Languages");
        FUi = std::make_unique<TTranslatorUi>(*FTranslator);
        FFonts = {QApplication::font(), QApplication::font("QMenu"), QToolTip::font(),
                  QApplication::font("QAbstractItemView")};
        FDirection = QApplication::layoutDirection();
    }
    void TearDown() override {
        FUi.reset();
        FTranslator.reset();
        config::FreeConfigManager();
        QApplication::setFont(FFonts[0]);
        QApplication::setFont(FFonts[1], "QMenu");
        QToolTip::setFont(FFonts[2]);
        QApplication::setFont(FFonts[3], "QAbstractItemView");
        QApplication::setLayoutDirection(FDirection);
        taskdialog::TJSDefaultFonts() = taskdialog::InitialJSDefaultFonts();
    }

    std::string WriteLanguage(const std::string& baseName, const std::string& text) const {
        std::string path = FTranslator->LanguageFilePath(baseName);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    void AddLanguage(const std::string& baseName, const std::string& displayName) {
        TAppLanguage& language = FUi->Languages().Add();
        language.BaseName = baseName;
        language.DisplayName = displayName;
        language.Hint = "for " + displayName;
        QPixmap flag(16, 16);
        flag.fill(Qt::green);
        language.ImageIndex16 = FUi->Image16List().Add(flag);
        WriteLanguage(baseName, "[Main]\nLanguageName=" + displayName + "\n");
    }
    std::optional<std::string> Choice() const {
        return test::QueryText(win::HKEY_CURRENT_USER, ChoiceKey, "Language");
    }

    test::TTempPrefix FPrefix;
    std::unique_ptr<TAppTranslator> FTranslator;
    std::unique_ptr<TTranslatorUi> FUi;
    std::array<QFont, 4> FFonts;
    Qt::LayoutDirection FDirection = Qt::LeftToRight;
};

TEST_F(TranslatorUiTest, FlagsAreBitmapFilesOrBlanks) {
    struct TCase {
        std::string Flag16;
        QSize Expected16; // 0 × 0: cleared
    };
    const std::vector<TCase> cases{
        {FlagText(16), QSize(16, 16)},
        {"", QSize(16, 16)},                       // no picture: a blank of the flag's size
        {"424D0", QSize(0, 0)},                    // odd digits, no bitmap: cleared
        {FlagText(16).substr(0, 60), QSize(0, 0)}, // cut short
        {"not hex at all", QSize(0, 0)},
    };
    for (const TCase& testCase : cases) {
        FTranslator->LoadLanguage(WriteLanguage("Flags", "[Images]\nFlag16=" + testCase.Flag16));
        EXPECT_EQ(FUi->Flag16().size(), testCase.Expected16) << testCase.Flag16;
        EXPECT_EQ(FUi->Flag32().size(), QSize(32, 32));
    }
}

TEST_F(TranslatorUiTest, FontsFollowTheLoadedLanguage) {
    QWidget form;
    form.setObjectName("FormFonts");
    const std::string longName(40, 'F');
    FTranslator->LoadLanguage(WriteLanguage(
        "Fonts", "[Main]\nFontName=DejaVu Sans Mono\nFontSize=11\nFontCharset=204\n"));
    EXPECT_EQ(FTranslator->LoadedFont(),
              (TFontSettings{204, "DejaVu Sans Mono", 11, TBiDiMode::bdLeftToRight}));
    EXPECT_EQ(QApplication::font("QMenu").family(), "DejaVu Sans Mono");
    EXPECT_EQ(QApplication::font("QMenu").pointSize(), 11);
    EXPECT_EQ(QToolTip::font().family(), "DejaVu Sans Mono");
    EXPECT_EQ(QApplication::font("QAbstractItemView").pointSize(), 11);
    EXPECT_EQ(QApplication::font().family(), "DejaVu Sans Mono");
    for (const taskdialog::TJSFontSettings& font : taskdialog::TJSDefaultFonts()) {
        EXPECT_EQ(font.Charset, 204);
    }

    FTranslator->LoadLanguage(WriteLanguage("Long", "[Main]\nFontName=" + longName + "\n"));
    EXPECT_EQ(QApplication::font().family().toStdString(), longName.substr(0, 31));
}

TEST_F(TranslatorUiTest, HelpFileAndReadingDirectionAreTheApplications) {
    FTranslator->LoadLanguage(
        WriteLanguage("Arabic", "[Main]\nHelpFile=Help\\Arabic.chm\nBiDiMode=RL\n"));
    EXPECT_EQ(ApplicationHelpFile().toStdString(), win::ExecutableFolder() + "Help/Arabic.chm");
    EXPECT_EQ(QApplication::layoutDirection(), Qt::RightToLeft);
    FTranslator->LoadLanguage(WriteLanguage("English", "[Main]\nBiDiMode=LR\n"));
    EXPECT_EQ(QApplication::layoutDirection(), Qt::LeftToRight);
}

TEST_F(TranslatorUiTest, FormsAreTheNamedWindows) {
    QWidget named;
    named.setObjectName("FormNamed");
    QWidget unnamed;
    QMenu popup;
    popup.setObjectName("PopupNamed");
    QWidget owner;
    owner.setObjectName("FormOwner");
    QWidget dialog(&owner, Qt::Dialog);
    dialog.setObjectName("FormDialog");
    QWidget inner(&owner);
    inner.setObjectName("panelInner");
    const QList<QWidget*> forms = TTranslatorUi::Forms();
    EXPECT_EQ(forms, (QList<QWidget*>{&dialog, &named, &owner}));
}

TEST_F(TranslatorUiTest, EveryFormIsTranslatedAndRaisesOwnerLoad) {
    QWidget first;
    first.setObjectName("FormA");
    QWidget second;
    second.setObjectName("FormB");
    std::vector<std::string> owners;
    FUi->OnOwnerLoad = [&owners](const std::string& section, QObject*, const TLanguageFile&) {
        owners.push_back(section);
    };
    auto* label = new QLabel("x", &second);
    label->setObjectName("labelB");
    FTranslator->LoadLanguage(
        WriteLanguage("Two", "[Forms]\nFormA=Erstes\nFormB=Zweites\n[FormB]\nlabelB=y\n"));
    EXPECT_EQ(first.windowTitle(), "Erstes");
    EXPECT_EQ(second.windowTitle(), "Zweites");
    EXPECT_EQ(label->text(), "y");
    EXPECT_EQ(owners, std::vector<std::string>{"FormB.labelB"});
}

TEST_F(TranslatorUiTest, TheListChooserShowsTheLanguagesAndAClickLoadsOne) {
    AddLanguage("Zulu", "isiZulu");
    AddLanguage("Deutsch", "Deutsch");
    QTreeWidget list;
    list.setColumnCount(1);
    FUi->SetDisplayListView(&list);
    EXPECT_EQ(list.columnCount(), 3);
    EXPECT_EQ(list.columnWidth(0), 100);
    EXPECT_TRUE(list.isColumnHidden(2));
    EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);
    ASSERT_EQ(list.topLevelItemCount(), 2);
    QTreeWidgetItem* first = list.topLevelItem(0);
    EXPECT_EQ(first->text(0), "Deutsch"); // sorted by caption
    EXPECT_EQ(first->text(1), "for Deutsch");
    EXPECT_EQ(first->text(2), "Deutsch");
    EXPECT_FALSE(first->icon(0).isNull());
    EXPECT_EQ(dynamic_cast<TLanguageListItem*>(first)->Language(), &FUi->Languages()[1]);

    FUi->ListClick(); // nothing selected: nothing happens
    EXPECT_FALSE(Choice());
    list.topLevelItem(1)->setSelected(true);
    emit list.itemClicked(list.topLevelItem(1), 0);
    EXPECT_EQ(Choice(), "Zulu");
    EXPECT_EQ(FTranslator->LanguageRealName(), "isiZulu");

    FUi->SetDisplayListView(nullptr);
    list.topLevelItem(0)->setSelected(true);
    emit list.itemClicked(list.topLevelItem(0), 0);
    EXPECT_EQ(Choice(), "Zulu") << "a detached list still chose";
}

TEST_F(TranslatorUiTest, TheMenuChooserReplacesItsEntriesAndAnEntryLoadsItsLanguage) {
    AddLanguage("Deutsch", "Deutsch");
    AddLanguage("Francais", "Français");
    QMenu menu;
    menu.addAction("stale");
    FUi->SetDisplayMenuItem(&menu);
    const QList<QAction*> entries = menu.actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[1]->text(), "Français");
    EXPECT_EQ(entries[1]->statusTip(), "Francais");
    EXPECT_FALSE(entries[1]->icon().isNull());
    entries[1]->trigger();
    EXPECT_EQ(Choice(), "Francais");
    EXPECT_EQ(FTranslator->LanguageName(), "Francais");
}

TEST_F(TranslatorUiTest, TheTemplateHoldsTheWindowsAndTheSavedTexts) {
    QWidget form;
    form.setObjectName("FormT");
    form.setFont(QFont("DejaVu Sans", 9));
    form.setWindowTitle("Title");
    FTranslator->AddSaveHandler(
        [](TLanguageFile& ini) { ini.WriteString("Dialog.Generic", "Text", "saved"); });
    const TLanguageFile ini = FUi->LanguageTemplate();
    EXPECT_EQ(ini.ReadString("Main", "LanguageName", ""), "English");
    EXPECT_EQ(ReadFontSettings(ini),
              (TFontSettings{0, "DejaVu Sans", 9, TBiDiMode::bdLeftToRight}));
    EXPECT_EQ(ini.ReadString("Forms", "FormT", ""), "Title");
    EXPECT_EQ(ini.ReadString("Dialog.Generic", "Text", ""), "saved");
}

} // namespace
} // namespace vx::i18n::ui
