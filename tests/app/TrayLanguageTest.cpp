// The tray in the language the user chose: the German file shipped with the program translates
// the status window, the tray menu and the decision dialog; without a choice all stays English.
#include "TrayWindowFixture.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "i18n/AppTranslator.h"
#include "i18n/ui/TranslatorUi.h"
#include "support/RegCalls.h"
#include "taskdialog/JSTaskDialogForm.h"

#include <optional>
#include <string>
#include <vector>

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

namespace vx::app::test {
namespace {

constexpr const char* ChoiceKey = "Software\\Qelvane Limited\\Korvex - Thornet 2";

struct TLanguageCase {
    std::optional<std::string> Choice; // the remembered language, or none
    const char* Hide;
    QStringList Menu;
    const char* ItemLabel;
};

void PrintTo(const TLanguageCase& testCase, std::ostream* out) {
    *out << testCase.Choice.value_or("(no choice)");
}

class TrayLanguageTest : public TrayWindowTest,
                         public ::testing::WithParamInterface<TLanguageCase> {
protected:
    void TearDown() override {
        FTranslatorUi.reset();
        TrayWindowTest::TearDown();
    }

    // Start-up's step: the remembered language, loaded once the window exists.
    void LoadRememberedLanguage() {
        FTranslatorUi = std::make_unique<i18n::ui::TTranslatorUi>(*i18n::AppTranslator());
        FTranslatorUi->Translator().LoadRememberedLanguage();
    }
    QStringList MenuTexts() const {
        QStringList texts;
        for (const QAction* entry : FWindow->PopupTray().actions()) {
            if (!entry->isSeparator()) {
                texts.append(entry->text());
            }
        }
        return texts;
    }
    // The decision dialog's text as Ctrl+C copies it, for one pending decision.
    QString DialogCopy() {
        decisions::TDecisionList& list = Window().DecisionDaemon().Decisions();
        list.Add({"item=C:\\setup.exe", "decisiontype=decision", "logclass=added"});
        Window().AskDecisions(list);
        if (dialogs::DecisionDialog() == nullptr || dialogs::DecisionDialog()->Form() == nullptr) {
            return {};
        }
        return dialogs::DecisionDialog()->Form()->ClipboardText();
    }

    std::unique_ptr<i18n::ui::TTranslatorUi> FTranslatorUi;
};

TEST_P(TrayLanguageTest, TheChosenLanguageTranslatesWindowMenuAndDialog) {
    const TLanguageCase& testCase = GetParam();
    if (testCase.Choice) {
        ASSERT_EQ(
            ::vx::test::SetText(win::HKEY_CURRENT_USER, ChoiceKey, "Language", *testCase.Choice),
            win::ERROR_SUCCESS);
    }
    LoadRememberedLanguage();
    EXPECT_EQ(FindOne<QPushButton>("bnClose")->text(), testCase.Hide);
    EXPECT_EQ(MenuTexts(), testCase.Menu);
    const QString copy = DialogCopy();
    EXPECT_TRUE(copy.contains(QString(testCase.ItemLabel) + "C:\\setup.exe")) << copy.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Choices, TrayLanguageTest,
    ::testing::Values(TLanguageCase{"Deutsch",
                                    "Ausblenden",
                                    {"Systemprüfung", "Datei- && Ordnerprüfung", "Aktualisieren",
                                     "Echtzeitschutz", "Status anzeigen", "Beenden"},
                                    "Objekt: "},
                      TLanguageCase{std::nullopt,
                                    "Hide",
                                    {"System Scan", "File && Folder Scan", "Update",
                                     "Live Protection", "Show status", "Exit"},
                                    "Item: "},
                      // A language without a file changes nothing.
                      TLanguageCase{"Klingon",
                                    "Hide",
                                    {"System Scan", "File && Folder Scan", "Update",
                                     "Live Protection", "Show status", "Exit"},
                                    "Item: "}));

} // namespace
} // namespace vx::app::test
