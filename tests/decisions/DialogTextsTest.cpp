#include "decisions/DialogTexts.h"

#include "config/ConfigManager.h"
#include "i18n/AppTranslator.h"
#include "i18n/LanguageFile.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::decisions {
namespace {

using TKeys = std::vector<std::string>;

constexpr const char* PlimmSection = "Dialog.AskPlimmDecisions";

// The keys of a section's lines, in order.
TKeys KeysOf(const TDialogTranslator& section) {
    TKeys keys;
    for (const auto& line : section.Texts()) {
        keys.push_back(line.substr(0, line.find('=')));
    }
    return keys;
}

class DialogTexts : public ::testing::Test {
protected:
    void SetUp() override {
        config::CreateConfigManager("Korvex - Thornet 2");
        FTranslator = std::make_unique<i18n::TAppTranslator>();
        RegisterDialogTexts(FTranslator.get());
    }
    void TearDown() override {
        FreeDialogTexts();
        FTranslator.reset();
        config::FreeConfigManager();
    }

    // Runs the translator's load handlers with a language file of that text.
    void Load(const std::string& text) {
        ASSERT_TRUE(FTranslator->RunLoadHandlers(i18n::TLanguageFile(text)));
    }

    std::unique_ptr<i18n::TAppTranslator> FTranslator;
};

TEST_F(DialogTexts, SectionsInOrderWithTheirKeys) {
    const std::set<int> empty{8, 10, 26, 43};
    const std::map<int, TKeys> further{
        {0, {"VerificationShowAgain"}},
        {3,
         {"Instruction", "Content1", "Content2", "Content3", "Warning", "ExpandoShow",
          "ExpandoHide"}},
        {19, {"Instruction", "Content", "ExpandoShow", "ExpandoHide", "ExpandoBase"}},
        {20, {"Instruction", "Content", "Reason1", "ReasonVista"}},
        {21, {"Instruction", "Content"}},
        {49,
         {"Instruction", "Change", "OldData", "NewData", "Item", "IdentifiedAs", "ThreatLevel",
          "TimestampText", "Previous", "Next"}},
    };
    for (int k = 0; k < DialogCount; ++k) {
        const TDialogTranslator& section = DialogTranslators(k);
        EXPECT_EQ(section.Section(), std::string("Dialog.") + DialogDefaults[k].Name);
        TKeys expected;
        if (further.contains(k)) {
            expected = further.at(k);
        } else if (!empty.contains(k)) {
            expected = {"Instruction"};
        }
        EXPECT_EQ(KeysOf(section), expected) << "section " << k;
    }
    EXPECT_EQ(DialogTranslators(0).Section(), "Dialog.Generic");
    EXPECT_EQ(DialogTranslators(41).Section(), "Dialog.ShowUpdateProgessMarquee");
    EXPECT_EQ(DialogTranslators(49).Section(), PlimmSection);
}

TEST_F(DialogTexts, DefaultTextsByteForByte) {
    const TDialogTranslator& plimm = DialogTranslators(PlimmDecisionsDialog);
    EXPECT_EQ(
        plimm.Texts(),
        (TStrings{"Instruction=A system change that needs your attention has occured (%d/%d)!",
                  "Change=<b>Change:</b> ", "OldData=<b>Old data:</b> ",
                  "NewData=<b>New data:</b> ", "Item=<b>Item:</b> ",
                  "IdentifiedAs=<b>Identified as:</b> ", "ThreatLevel=<b>Threat Level:</b> ",
                  "TimestampText=This event was reported at %s.", "Previous=< Previous",
                  "Next=Next >"}));
    EXPECT_EQ(DialogTranslators(GenericDialog).Texts(),
              TStrings{"VerificationShowAgain=Show this dialog again?"});
    EXPECT_EQ(GetCatalogueText(46, "Instruction"), "Not supported on %s!");
    EXPECT_EQ(GetCatalogueText(47, "Instruction"), "Vista's UAC will also protect you!");
    EXPECT_EQ(GetCatalogueText(19, "ExpandoShow"), "&Show list of browsers");
    EXPECT_EQ(GetCatalogueText(3, "ExpandoShow"), "&Show temporary files");
    EXPECT_EQ(GetCatalogueText(3, "Warning"),
              "A word of warning: some people like to store files there themselves - this is "
              "not about the <i>Temporary Internet Files</i> folder but the ones called "
              "<i>Temp</i>. If you are among these, please answer <b>No</b> to this question!");

    // Every line of the catalogue, counted and measured: an accidental edit of any text
    // changes the sum.
    std::size_t lines = 0;
    std::size_t bytes = 0;
    for (int k = 0; k < DialogCount; ++k) {
        for (const auto& line : DialogTranslators(k).Texts()) {
            ++lines;
            bytes += line.size();
        }
    }
    EXPECT_EQ(lines, 69u);
    EXPECT_EQ(bytes, 3963u);
}

TEST_F(DialogTexts, LookupIgnoresCaseAndMissingKeysAreEmpty) {
    EXPECT_EQ(GetCatalogueText(49, "instruction"), GetCatalogueText(49, "Instruction"));
    EXPECT_EQ(GetCatalogueText(49, "TIMESTAMPTEXT"), "This event was reported at %s.");
    EXPECT_EQ(GetCatalogueText(0, "Instruction"), "");
    EXPECT_EQ(GetCatalogueText(49, "Category"), "");
    EXPECT_THROW(GetCatalogueText(50, "Instruction"), EDialogTextError);
    EXPECT_THROW(GetCatalogueText(-1, "Instruction"), EDialogTextError);
}

TEST_F(DialogTexts, LanguageFileReplacesOnlyTheTextsItNames) {
    Load("[Dialog.AskPlimmDecisions]\nItem=<b>Objekt:</b>\n"
         "[Dialog.Generic]\nverificationshowagain=Diesen Dialog wieder zeigen?\n");
    EXPECT_EQ(GetCatalogueText(49, "Item"), "<b>Objekt:</b>");
    EXPECT_EQ(GetCatalogueText(49, "OldData"), "<b>Old data:</b> ");
    EXPECT_EQ(GetCatalogueText(49, "Next"), "Next >");
    EXPECT_EQ(GetCatalogueText(0, "VerificationShowAgain"), "Diesen Dialog wieder zeigen?");
    // The key keeps its spelling from the catalogue.
    EXPECT_EQ(DialogTranslators(0).Texts(),
              TStrings{"VerificationShowAgain=Diesen Dialog wieder zeigen?"});
    EXPECT_EQ(GetCatalogueText(3, "Content2"),
              "We have located %d files in your temporary folders.");
}

TEST_F(DialogTexts, EmptyValueEmptiesTheTextAndLaterKeysAreStillRead) {
    Load("[Dialog.AskPlimmDecisions]\nOldData=\nNewData=<b>Neu:</b>\nUnknown=x\n");
    EXPECT_EQ(KeysOf(DialogTranslators(49))[2], "OldData");
    EXPECT_EQ(GetCatalogueText(49, "OldData"), "");
    EXPECT_EQ(GetCatalogueText(49, "NewData"), "<b>Neu:</b>");
    EXPECT_EQ(GetCatalogueText(49, "Unknown"), "");
    EXPECT_EQ(DialogTranslators(49).Texts().size(), 10u);
}

TEST_F(DialogTexts, EachSectionHasOneLoadAndOneSaveHandlerInSectionOrder) {
    ASSERT_EQ(FTranslator->LoadEvents().size(), static_cast<std::size_t>(DialogCount));
    ASSERT_EQ(FTranslator->SaveEvents().size(), static_cast<std::size_t>(DialogCount));
    for (int k = 0; k < DialogCount; ++k) {
        i18n::TLanguageFile blank;
        FTranslator->SaveEvents()[static_cast<std::size_t>(k)](blank);
        const std::string& section = DialogTranslators(k).Section();
        EXPECT_EQ(blank.ReadSection(section), KeysOf(DialogTranslators(k))) << section;
        EXPECT_EQ(blank.SectionExists(section), !DialogTranslators(k).Texts().empty());
    }
}

TEST_F(DialogTexts, SavedTemplateLoadsBackUnchanged) {
    i18n::TLanguageFile blank;
    for (const auto& save : FTranslator->SaveEvents()) {
        save(blank);
    }
    EXPECT_EQ(blank.ReadString(PlimmSection, "Previous", ""), "< Previous");
    std::vector<TStrings> before;
    for (int k = 0; k < DialogCount; ++k) {
        before.push_back(DialogTranslators(k).Texts());
    }
    ASSERT_TRUE(FTranslator->RunLoadHandlers(blank));
    for (int k = 0; k < DialogCount; ++k) {
        EXPECT_EQ(DialogTranslators(k).Texts(), before[static_cast<std::size_t>(k)]);
    }
}

TEST_F(DialogTexts, FreedCatalogueIsGoneAndItsHandlersDoNothing) {
    FreeDialogTexts();
    EXPECT_THROW(DialogTranslators(0), EDialogTextError);
    EXPECT_TRUE(FTranslator->RunLoadHandlers(i18n::TLanguageFile("[Dialog.Generic]\nx=1\n")));

    // Building again gives fresh defaults and a second set of handlers.
    RegisterDialogTexts(FTranslator.get());
    EXPECT_EQ(FTranslator->LoadEvents().size(), static_cast<std::size_t>(2 * DialogCount));
    Load("[Dialog.AskPlimmDecisions]\nNext=Weiter >\n");
    EXPECT_EQ(GetCatalogueText(49, "Next"), "Weiter >");
}

TEST(DialogTextsProcessWide, HooksIntoTheProcessWideTranslatorWhenThereIsOne) {
    RegisterDialogTexts();
    EXPECT_EQ(GetCatalogueText(49, "Previous"), "< Previous");

    config::CreateConfigManager("Korvex - Thornet 2");
    i18n::CreateAppTranslator();
    RegisterDialogTexts();
    EXPECT_EQ(i18n::AppTranslator()->LoadEvents().size(), static_cast<std::size_t>(DialogCount));
    FreeDialogTexts();
    i18n::FreeAppTranslator();
    config::FreeConfigManager();
}

} // namespace
} // namespace vx::decisions
