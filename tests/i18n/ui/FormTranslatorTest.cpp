#include "i18n/ui/FormTranslator.h"

#include "i18n/ui/BiDiLayout.h"
#include "i18n/ui/ControlTexts.h"

#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWidget>
#include <gtest/gtest.h>

namespace vx::i18n::ui {
namespace {

// A window like the application's: a few controls, a named panel with a child, a menu and an
// action list.
class TSampleForm {
public:
    TSampleForm() : Form(std::make_unique<QWidget>()) {
        Form->setObjectName("FormSample");
        Form->setWindowTitle("Sample");
        Label = Add<QLabel>("labelInfo", "Info");
        Button = Add<QPushButton>("bnOk", "OK");
        Button->setToolTip("Closes");
        List = Add<QListWidget>("lbChoices");
        List->addItems({"one", "two"});
        Panel = Add<QGroupBox>("gbOptions", "Options");
        Inner = new QLabel("Inner", Panel);
        Inner->setObjectName("labelInner");
        Menu = new QMenu(Form.get());
        Menu->setObjectName("PopupMain");
        Entry = Menu->addAction("Open");
        Entry->setObjectName("miOpen");
        Actions = new QObject(Form.get());
        Actions->setObjectName("alMain");
        Action = new QAction("Run", Actions);
        Action->setObjectName("aRun");
    }

    template <typename TControl>
    TControl* Add(const char* name, const QString& text = {}) {
        TControl* control = nullptr;
        if constexpr (std::is_constructible_v<TControl, QString, QWidget*>) {
            control = new TControl(text, Form.get());
        } else {
            control = new TControl(Form.get());
        }
        control->setObjectName(name);
        return control;
    }

    void Translate(const std::string& text, const TOwnerHandler& onOwnerLoad = {}) const {
        const TLanguageFile ini(text);
        TranslateForm(*Form, ini, ReadFontSettings(ini), onOwnerLoad);
    }

    std::unique_ptr<QWidget> Form;
    QLabel* Label;
    QPushButton* Button;
    QListWidget* List;
    QGroupBox* Panel;
    QLabel* Inner;
    QMenu* Menu;
    QAction* Entry;
    QObject* Actions;
    QAction* Action;
};

QStringList Items(const QListWidget& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) {
        items.append(list.item(i)->text());
    }
    return items;
}

TEST(TranslateForm, EveryKindOfTextTakesItsKey) {
    TSampleForm sample;
    sample.Translate("[Forms]\nFormSample=Beispiel\n"
                     "[FormSample]\nlabelInfo=Hinweis\nbnOk=Gut\nbnOk.Hint=Schliesst\n"
                     "lbChoices.Items=eins%0D%0Azwei%0D%0Adrei\ngbOptions=Optionen\n"
                     "[FormSample.gbOptions]\nlabelInner=Innen\n"
                     "[FormSample.PopupMain]\nmiOpen=Oeffnen\n"
                     "[FormSample.alMain]\naRun=Starten\naRun.Hint=Startet\n");
    EXPECT_EQ(sample.Form->windowTitle(), "Beispiel");
    EXPECT_EQ(sample.Label->text(), "Hinweis");
    EXPECT_EQ(sample.Button->text(), "Gut");
    EXPECT_EQ(sample.Button->toolTip(), "Schliesst");
    EXPECT_EQ(Items(*sample.List), QStringList({"eins", "zwei", "drei"}));
    EXPECT_EQ(sample.Panel->title(), "Optionen");
    EXPECT_EQ(sample.Inner->text(), "Innen");
    EXPECT_EQ(sample.Entry->text(), "Oeffnen");
    EXPECT_EQ(sample.Action->text(), "Starten");
    EXPECT_EQ(sample.Action->statusTip(), "Startet");
    EXPECT_EQ(sample.Action->toolTip(), "Startet");
}

TEST(TranslateForm, AFormWithoutEntriesKeepsItsTextsButTakesFontAndDirection) {
    TSampleForm sample;
    sample.Translate("[Main]\nFontName=DejaVu Serif\nFontSize=0x0C\nBiDiMode=rl\n");
    EXPECT_EQ(sample.Form->windowTitle(), "Sample");
    EXPECT_EQ(sample.Label->text(), "Info");
    EXPECT_EQ(Items(*sample.List), QStringList({"one", "two"}));
    EXPECT_EQ(sample.Entry->text(), "Open");
    EXPECT_EQ(sample.Form->font().family(), "DejaVu Serif");
    EXPECT_EQ(sample.Form->font().pointSize(), 12);
    EXPECT_EQ(sample.Label->font().family(), "DejaVu Serif"); // follows its parent
    EXPECT_EQ(sample.Form->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(sample.Button->layoutDirection(), Qt::RightToLeft);
}

TEST(TranslateForm, AnEmptyCaptionInFormsEmptiesTheTitle) {
    TSampleForm sample;
    sample.Translate("[Forms]\nFormSample=\n");
    EXPECT_EQ(sample.Form->windowTitle(), "");
}

TEST(TranslateForm, ControlTextsDecodeEscapesAndPercentSignsTwice) {
    struct TCase {
        const char* Written;
        const char* Shown;
    };
    const std::vector<TCase> cases{
        {"50%%", "50%"},          {"100%%%%", "100%"}, // "%%" made "%" twice
        {"a%0D%0Ab", "a\r\nb"},                        // the line break escape
        {"a%0d%0ab", "a%0d%0ab"},                      // only in capitals
        {"A&&B", "A&B"},                               // a label without accelerators
    };
    for (const TCase& testCase : cases) {
        TSampleForm sample;
        sample.Translate(std::string("[FormSample]\nlabelInfo=") + testCase.Written + "\n");
        EXPECT_EQ(sample.Label->text().toStdString(), testCase.Shown) << testCase.Written;
    }
}

TEST(TranslateForm, ALabelThatShowsAcceleratorsKeepsDoubledAmpersands) {
    TSampleForm sample;
    sample.Label->setBuddy(sample.Button);
    sample.Translate("[FormSample]\nlabelInfo=Save && &Exit\nbnOk=A&&B\n");
    EXPECT_EQ(sample.Label->text(), "Save && &Exit");
    EXPECT_EQ(sample.Button->text(), "A&&B"); // not a label: kept as written
}

TEST(TranslateForm, ItemListsTakeTheirLinesByKind) {
    TSampleForm sample;
    auto* view = sample.Add<QTreeWidget>("lvFiles");
    view->setHeaderLabels({"Name", "Size"});
    auto* combo = sample.Add<QComboBox>("cbMode");
    combo->addItems({"fast", "slow"});
    combo->setCurrentIndex(1);
    auto* tabs = sample.Add<QTabWidget>("tcPages");
    tabs->addTab(new QWidget, "First");
    tabs->addTab(new QWidget, "Second");
    auto* header = new QHeaderView(Qt::Horizontal, sample.Form.get());
    header->setObjectName("hcColumns");
    QStandardItemModel model(0, 2);
    model.setHorizontalHeaderLabels({"Left", "Right"});
    header->setModel(&model);
    auto* status = sample.Add<QStatusBar>("sbMain");
    auto* panel = new QLabel("Ready", status);
    status->addWidget(panel);
    sample.Translate("[FormSample]\nlvFiles.Items=Datei%0D%0AGroesse%0D%0AExtra\n"
                     "cbMode.Items=schnell%0D%0Alangsam\ntcPages.Items=Erste\n"
                     "hcColumns.Items=Links%0D%0ARechts\nsbMain.Items=Bereit\n");
    EXPECT_EQ(view->columnCount(), 2);
    EXPECT_EQ(view->headerItem()->text(0), "Datei");
    EXPECT_EQ(view->headerItem()->text(1), "Groesse");
    EXPECT_EQ(combo->itemText(0), "schnell");
    EXPECT_EQ(combo->currentText(), "langsam"); // the chosen entry stays chosen
    EXPECT_EQ(tabs->tabText(0), "Erste");
    EXPECT_EQ(tabs->tabText(1), "Second"); // a missing line keeps the tab's text
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Rechts");
    EXPECT_EQ(panel->text(), "Bereit");
}

TEST(TranslateForm, ANonZeroTagKeepsTheItemsWhileTheHintIsTranslated) {
    TSampleForm sample;
    sample.List->setProperty(TagProperty, 7);
    sample.Translate("[FormSample]\nlbChoices.Items=x%0D%0Ay%0D%0Az\nlbChoices.Hint=Waehlen\n");
    EXPECT_EQ(Items(*sample.List), QStringList({"one", "two"}));
    EXPECT_EQ(sample.List->toolTip(), "Waehlen");
}

TEST(TranslateForm, AnUnnamedPanelIsFoundByIndexButNotEntered) {
    TSampleForm sample;
    sample.Panel->setObjectName("");
    const int index = static_cast<int>(sample.Form->children().indexOf(sample.Panel));
    const std::string key = "FormSample." + std::to_string(index);
    sample.Translate("[FormSample]\n" + key + "=Gruppe\n[FormSample." + key +
                     "]\nlabelInner=Innen\n");
    EXPECT_EQ(sample.Panel->title(), "Gruppe");
    EXPECT_EQ(sample.Inner->text(), "Inner");
}

TEST(TranslateForm, AnUnnamedMenuEntryKeepsItsCaptionAndItsSubmenu) {
    TSampleForm sample;
    QMenu* submenu = sample.Menu->addMenu("More");
    QAction* deep = submenu->addAction("Deep");
    deep->setObjectName("miDeep");
    QMenu* named = sample.Menu->addMenu("Named");
    named->menuAction()->setObjectName("miNamed");
    QAction* inner = named->addAction("Inner");
    inner->setObjectName("miInner");
    sample.Translate("[FormSample.PopupMain]\nmiDeep=Tief\n=Mehr\nmiNamed=Benannt\n"
                     "[FormSample.PopupMain.miNamed]\nmiInner=Innen\n");
    EXPECT_EQ(submenu->menuAction()->text(), "More");
    EXPECT_EQ(deep->text(), "Deep");
    EXPECT_EQ(named->menuAction()->text(), "Benannt");
    EXPECT_EQ(inner->text(), "Innen");
}

TEST(TranslateForm, BackToLeftToRightClearsTheRightToLeftStylesOnly) {
    TSampleForm sample;
    constexpr int otherStyle = 0x80;
    sample.Form->setProperty(ExStyleProperty, otherStyle);
    sample.Translate("[Main]\nBiDiMode=RLNA\n");
    EXPECT_EQ(sample.Form->property(ExStyleProperty).toInt(),
              otherStyle | WS_EX_RIGHT | WS_EX_RTLREADING);
    EXPECT_EQ(sample.Form->layoutDirection(), Qt::RightToLeft);
    sample.Translate("[Main]\nBiDiMode=LR\n");
    EXPECT_EQ(sample.Form->property(ExStyleProperty).toInt(), otherStyle);
    EXPECT_EQ(sample.Form->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(sample.Label->layoutDirection(), Qt::LeftToRight);
}

TEST(TranslateForm, APictureLabelKeepsItsPicture) {
    TSampleForm sample;
    QPixmap picture(8, 8);
    picture.fill(Qt::red);
    sample.Label->setPixmap(picture);
    sample.Translate("[FormSample]\nlabelInfo=Text\n");
    EXPECT_FALSE(sample.Label->pixmap().isNull());
}

TEST(TranslateForm, OwnerLoadIsRaisedForEachComponentWithItsSection) {
    TSampleForm sample;
    std::vector<std::string> sections;
    sample.Translate("", [&sections](const std::string& section, QObject*, const TLanguageFile&) {
        sections.push_back(section);
    });
    const std::vector<std::string> expected{"FormSample.labelInfo", "FormSample.bnOk",
                                            "FormSample.lbChoices", "FormSample.gbOptions",
                                            "FormSample.PopupMain", "FormSample.alMain"};
    EXPECT_EQ(sections, expected);
}

TEST(TranslateForm, AHandlerMayDeleteAComponentStillToCome) {
    TSampleForm sample;
    QMenu* menu = sample.Menu;
    std::vector<std::string> sections;
    sample.Translate("[FormSample.alMain]\naRun=Starten\n",
                     [&](const std::string& section, QObject*, const TLanguageFile&) {
                         sections.push_back(section);
                         if (section == "FormSample.labelInfo") {
                             delete menu;
                         }
                     });
    EXPECT_EQ(sections.size(), 5U);
    EXPECT_EQ(sample.Action->text(), "Starten");
}

TEST(ControlKey, AnUnnamedControlIsItsParentsNameAndIndex) {
    QWidget parent;
    parent.setObjectName("pnTop");
    QLabel named("x", &parent);
    named.setObjectName("labelX");
    QLabel unnamed("y", &parent);
    EXPECT_EQ(ControlKey(named, 0), "labelX");
    EXPECT_EQ(ControlKey(unnamed, 1), "pnTop.1");
}

} // namespace
} // namespace vx::i18n::ui
