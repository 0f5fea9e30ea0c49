#include "i18n/ui/FormTemplate.h"

#include "i18n/ui/FormTranslator.h"

#include <string>
#include <vector>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace vx::i18n::ui {
namespace {

TEST(EncodeControlText, ComesBackAsTheTextWhenLoaded) {
    struct TCase {
        const char* Text;
        bool Label;
        const char* Written;
    };
    const std::vector<TCase> cases{
        {"Plain", false, "Plain"},
        {"50%", false, "50%%%%"},
        {"two\r\nlines", false, "two%0D%0Alines"},
        {"one\nbreak", false, "one%0D%0Abreak"},
        {"A&B", true, "A&&B"},
        {"A&B", false, "A&B"},
    };
    for (const TCase& testCase : cases) {
        const std::string written = EncodeControlText(testCase.Text, testCase.Label);
        EXPECT_EQ(written, testCase.Written) << testCase.Text;
        const QString loaded = DecodeControlText(written, testCase.Label);
        const QString expected = QString(testCase.Text).replace("\r\n", "\n").replace('\n', "\r\n");
        EXPECT_EQ(loaded, expected) << testCase.Text;
    }
}

TEST(EncodeItems, PercentSignsAndLinesComeBack) {
    EXPECT_EQ(EncodeItems({"10%", "b"}), "10%%%0D%0Ab");
}

TEST(WriteFormTexts, LoadingTheTemplateGivesEveryTextBack) {
    QWidget form;
    form.setObjectName("FormT");
    form.setWindowTitle("Title");
    auto* label = new QLabel("Saving 50% & more", &form);
    label->setObjectName("labelSave");
    auto* button = new QPushButton("Go", &form);
    button->setObjectName("bnGo");
    button->setToolTip("Starts");
    auto* list = new QListWidget(&form);
    list->setObjectName("lbItems");
    list->addItems({"a%", "b"});
    auto* actions = new QObject(&form);
    actions->setObjectName("alT");
    auto* action = new QAction("Do", actions);
    action->setObjectName("aDo");
    action->setStatusTip("Does it");
    auto* menu = new QMenu(&form);
    menu->setObjectName("PopupT");
    menu->addAction("Entry")->setObjectName("miEntry");
    menu->addSeparator()->setObjectName("N1");

    TLanguageFile ini;
    std::vector<std::string> saved;
    WriteFormTexts(form, ini, [&saved](const std::string& section, QObject*, TLanguageFile&) {
        saved.push_back(section);
    });
    EXPECT_EQ(saved.size(), 5U);
    EXPECT_FALSE(ini.ValueExists("FormT.PopupT", "N1")); // a separator has no caption

    // Everything changed, then the template loaded: the built-in texts are back.
    form.setWindowTitle("x");
    label->setText("x");
    button->setText("x");
    button->setToolTip("x");
    list->clear();
    action->setText("x");
    action->setStatusTip("x");
    menu->actions().first()->setText("x");
    const TLanguageFile reread(ini.Text());
    TranslateForm(form, reread, ReadFontSettings(reread), {});
    EXPECT_EQ(form.windowTitle(), "Title");
    EXPECT_EQ(label->text(), "Saving 50% & more");
    EXPECT_EQ(button->text(), "Go");
    EXPECT_EQ(button->toolTip(), "Starts");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "a%");
    EXPECT_EQ(action->text(), "Do");
    EXPECT_EQ(action->statusTip(), "Does it");
    EXPECT_EQ(menu->actions().first()->text(), "Entry");
}

} // namespace
} // namespace vx::i18n::ui
