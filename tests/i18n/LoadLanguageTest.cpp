#include "config/ConfigManager.h"
#include "i18n/AppTranslator.h"
#include "platform/Files.h"
#include "platform/GlobalAtom.h"
#include "support/RegCalls.h"
#include "support/TempPrefix.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

namespace vx::i18n {
namespace {

namespace fs = std::filesystem;
using TSteps = std::vector<std::string>;

constexpr const char* ProductName = "Korvex - Thornet 2";

// Records what a load asks of the user interface, in order.
class TRecordingApplier : public TLanguageApplier {
public:
    explicit TRecordingApplier(TAppTranslator& translator) : FTranslator(translator) {}

    void SetApplicationHelpFile(const std::string& path) override {
        Steps.push_back("help " + path);
    }
    void SetApplicationBiDiMode(TBiDiMode mode) override {
        Steps.push_back("bidi " + std::to_string(static_cast<int>(mode)));
    }
    void LoadFlags(const TLanguageFile& ini) override {
        Steps.push_back("flags " + ini.ReadString("Images", "Flag16", ""));
        if (FailFlags) {
            throw Exception("broken flag");
        }
    }
    void TranslateForms(const TLanguageFile& ini) override {
        Steps.push_back("forms");
        FTranslator.SetLoadedFont(ReadFontSettings(ini));
    }
    void ApplyFonts(const TFontSettings& font) override {
        Steps.push_back("fonts " + font.Name + " " + std::to_string(font.Size));
    }

    TSteps Steps;
    bool FailFlags = false;

private:
    TAppTranslator& FTranslator;
};

class LoadLanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        FPrefix.Install();
        config::CreateConfigManager(ProductName);
        FTranslator = std::make_unique<TAppTranslator>();
        FApplier = std::make_unique<TRecordingApplier>(*FTranslator);
        FTranslator->SetApplier(FApplier.get());
        FTranslator->SetFilePath((FPrefix.Dir() / "Languages").string() + "/");
        FTranslator->SetLoadLockSleep(
            [this](std::chrono::milliseconds time) { FSleeps.push_back(time.count()); });
        fs::create_directories(FPrefix.Dir() / "Languages");
    }
    void TearDown() override {
        FTranslator.reset();
        config::FreeConfigManager();
    }

    std::string WriteLanguage(const std::string& baseName, const std::string& text) const {
        std::string path = FTranslator->LanguageFilePath(baseName);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    // Every step of a load lands in the applier's record.
    void RecordHandlers() {
        FTranslator->AddLoadHandler([this](const TLanguageFile& ini) {
            FApplier->Steps.push_back("handler " + ini.ReadString("Main", "LanguageName", ""));
        });
        FTranslator->OnOwnerCustomLoad = [this](const TLanguageFile&) {
            FApplier->Steps.push_back("custom load");
        };
        FTranslator->OnApplicationLoadCompleted = [this] {
            FApplier->Steps.push_back(
                std::string("completed, lock held ") +
                (win::GlobalFindAtomA(TLanguageLoadLock::AtomName) != 0 ? "yes" : "no"));
        };
    }

    test::TTempPrefix FPrefix;
    std::unique_ptr<TAppTranslator> FTranslator;
    std::unique_ptr<TRecordingApplier> FApplier;
    std::vector<long> FSleeps;
};

TEST_F(LoadLanguageTest, PropertiesAfterConstruction) {
    TAppTranslator translator;
    EXPECT_EQ(translator.CompressIndicator(), "LCF");
    EXPECT_EQ(translator.FileExtension(), "lng");
    EXPECT_TRUE(translator.FilePath().ends_with("/Languages/"));
    EXPECT_EQ(translator.HelpFile(), "Help\\English.chm");
    EXPECT_TRUE(translator.LocalizedHelpFile());
    EXPECT_TRUE(translator.Messages().empty());
    EXPECT_EQ(translator.LanguageName(), "");
    EXPECT_EQ(translator.LanguageRealName(), "");
    EXPECT_EQ(translator.LanguageHint(), "");
    EXPECT_EQ(translator.LoadedFont(), TFontSettings{});
    EXPECT_TRUE(translator.LoadProcs().empty());
    EXPECT_TRUE(translator.SaveProcs().empty());
    EXPECT_FALSE(translator.OnOwnerCustomLoad);
    EXPECT_FALSE(translator.OnApplicationLoadCompleted);
}

TEST_F(LoadLanguageTest, StepsRunInOrderUnderTheLock) {
    RecordHandlers();
    const std::string path = WriteLanguage(
        "Deutsch", "[Main]\nLanguageName=Deutsch\nUse=Für alle\nHelpFile=Help\\Deutsch.chm\n"
                   "FontName=Tahoma\nFontSize=0x0A\nBiDiMode=rlna\n"
                   "[Images]\nFlag16=424D\n"
                   "[Messages]\nHello=Hallo%0D%0AWelt\n");
    FTranslator->LoadLanguage(path);

    EXPECT_EQ(FApplier->Steps,
              (TSteps{"help " + win::ExecutableFolder() + "Help/Deutsch.chm", "bidi 2",
                      "flags 424D", "forms", "fonts Tahoma 10", "handler Deutsch", "custom load",
                      "completed, lock held yes"}));
    EXPECT_EQ(FTranslator->LanguageName(), "Deutsch");
    EXPECT_EQ(FTranslator->LanguageRealName(), "Deutsch");
    EXPECT_EQ(FTranslator->LanguageHint(), "Für alle");
    EXPECT_EQ(FTranslator->HelpFile(), "Help\\Deutsch.chm");
    EXPECT_EQ(FTranslator->LastLanguageFile(), path);
    EXPECT_EQ(FTranslator->Messages(), (TSteps{"Hello=Hallo\r\nWelt"}));
    EXPECT_TRUE(FSleeps.empty());
    EXPECT_EQ(win::GlobalFindAtomA(TLanguageLoadLock::AtomName), 0) << "the lock was not given up";
}

TEST_F(LoadLanguageTest, AMissingFileDoesNothing) {
    RecordHandlers();
    const win::ATOM held = win::GlobalAddAtomA(TLanguageLoadLock::AtomName);
    FTranslator->LoadLanguage(FTranslator->LanguageFilePath("Missing"));
    win::GlobalDeleteAtom(held);
    EXPECT_TRUE(FApplier->Steps.empty());
    EXPECT_TRUE(FSleeps.empty()) << "no lock is taken for a missing file";
    EXPECT_EQ(FTranslator->LastLanguageFile(), "");
}

TEST_F(LoadLanguageTest, AnUnreadableFileStillAppliesFontsAndCompletes) {
    RecordHandlers();
    FTranslator->SetLoadedFont({0, "Kept", 9, TBiDiMode::bdLeftToRight});
    const std::string path = FTranslator->LanguageFilePath("Fifo");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    FTranslator->LoadLanguage(path);
    EXPECT_EQ(FApplier->Steps, (TSteps{"fonts Kept 9", "completed, lock held yes"}));
    EXPECT_EQ(FTranslator->LanguageName(), "") << "nothing is taken from the file";
    EXPECT_EQ(FTranslator->LastLanguageFile(), path);
}

TEST_F(LoadLanguageTest, AHeldLockDelaysTheLoadBy500Ms) {
    const win::ATOM held = win::GlobalAddAtomA(TLanguageLoadLock::AtomName);
    ASSERT_NE(held, 0);
    FTranslator->LoadLanguage(WriteLanguage("Deutsch", "[Main]\nLanguageName=Deutsch\n"));
    EXPECT_EQ(FSleeps, std::vector<long>(10, 50));
    EXPECT_EQ(FTranslator->LanguageRealName(), "Deutsch") << "the load goes on after the wait";
    // Our load's reference is gone, the other holder's stays.
    EXPECT_NE(win::GlobalFindAtomA(TLanguageLoadLock::AtomName), 0);
    EXPECT_EQ(win::GlobalDeleteAtom(held), 0);
    EXPECT_EQ(win::GlobalFindAtomA(TLanguageLoadLock::AtomName), 0);
}

TEST_F(LoadLanguageTest, FailuresAreSwallowedWhereTheyHappen) {
    RecordHandlers();
    FApplier->FailFlags = true;
    std::vector<std::string> ran;
    FTranslator->AddLoadHandler([](const TLanguageFile&) { throw Exception("broken handler"); });
    FTranslator->AddLoadHandler([&ran](const TLanguageFile&) { ran.push_back("after"); });
    FTranslator->LoadLanguage(WriteLanguage("Deutsch", "[Main]\nLanguageName=Deutsch\n"));
    EXPECT_EQ(FApplier->Steps,
              (TSteps{"help " + win::ExecutableFolder() + "Help/English.chm", "bidi 0", "flags ",
                      "forms", "fonts MS Sans Serif 8", "handler Deutsch", "custom load",
                      "completed, lock held yes"}));
    EXPECT_TRUE(ran.empty()) << "a failing handler skips the handlers after it";
}

TEST_F(LoadLanguageTest, LoadProceduresRunBeforeTheHandlers) {
    static std::vector<std::string>* order = nullptr;
    std::vector<std::string> seen;
    order = &seen;
    FTranslator->LoadProcs().push_back(
        [](const TLanguageFile& ini) { order->push_back("proc " + ini.ReadString("S", "k", "")); });
    FTranslator->AddLoadHandler([&seen](const TLanguageFile&) { seen.push_back("event"); });
    FTranslator->LoadLanguage(WriteLanguage("x", "[S]\nk=v\n"));
    order = nullptr;
    EXPECT_EQ(seen, (TSteps{"proc v", "event"}));
}

TEST_F(LoadLanguageTest, TheHelpFileFollowsOnlyWhenLocalized) {
    FTranslator->SetLocalizedHelpFile(false);
    FTranslator->LoadLanguage(WriteLanguage("x", "[Main]\nHelpFile=Help\\x.chm\n"));
    EXPECT_EQ(FTranslator->HelpFile(), "Help\\x.chm");
    EXPECT_EQ(FApplier->Steps.front(), "bidi 0");
}

TEST_F(LoadLanguageTest, TheLanguageNameLosesFolderAndLastExtension) {
    FTranslator->SetFileExtension("lang.txt");
    FTranslator->LoadLanguage(WriteLanguage("Deutsch.Schweiz", "[Main]\n"));
    EXPECT_EQ(FTranslator->LanguageName(), "Deutsch.Schweiz.lang");
}

TEST_F(LoadLanguageTest, TheChoiceIsRememberedUnderTheProductsKey) {
    FTranslator->SaveLanguageChoice("Deutsch");
    EXPECT_EQ(test::QueryText(win::HKEY_CURRENT_USER,
                              "Software\\Qelvane Limited\\Korvex - Thornet 2", "Language"),
              "Deutsch");
    config::ConfigManager().SetProductName("Other");
    FTranslator->SaveLanguageChoice("Français");
    EXPECT_EQ(
        test::QueryText(win::HKEY_CURRENT_USER, "Software\\Qelvane Limited\\Other", "Language"),
        "Français");
}

TEST(LoadLanguageWithoutPrefix, NoStoreMeansNoChoiceAndNoError) {
    config::CreateConfigManager(ProductName);
    {
        TAppTranslator translator;
        EXPECT_NO_THROW(translator.SaveLanguageChoice("Deutsch"));
    }
    config::FreeConfigManager();
}

TEST_F(LoadLanguageTest, TheRememberedChoiceLoadsWhenItNamesAnExistingFile) {
    constexpr const char* key = "Software\\Qelvane Limited\\Korvex - Thornet 2";
    WriteLanguage("Deutsch", "[Main]\nLanguageName=Deutsch\n");
    struct TCase {
        std::optional<std::string> Value; // nullopt: no value at all
        bool Loads;
    };
    const std::vector<TCase> cases{
        {std::nullopt, false},
        {"Deutsch", true},
        {"Klingon", false},              // no such file
        {"../Languages/Deutsch", false}, // leaves the folder
        {"", false},
    };
    for (const TCase& testCase : cases) {
        SCOPED_TRACE(testCase.Value.value_or("(none)"));
        win::TKeyHandle handle;
        if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, key, win::KEY_ALL_ACCESS, handle.Receive()) ==
            win::ERROR_SUCCESS) {
            win::RegDeleteValue(handle.Get(), "Language");
        }
        if (testCase.Value) {
            ASSERT_EQ(test::SetText(win::HKEY_CURRENT_USER, key, "Language", *testCase.Value),
                      win::ERROR_SUCCESS);
        }
        FApplier->Steps.clear();
        EXPECT_EQ(FTranslator->LoadRememberedLanguage(), testCase.Loads);
        EXPECT_EQ(!FApplier->Steps.empty(), testCase.Loads);
    }
}

TEST_F(LoadLanguageTest, SaveHandlersWriteInOrderOfRegistration) {
    FTranslator->SaveProcs().push_back(
        [](TLanguageFile& ini) { ini.WriteString("Order", "first", "proc"); });
    FTranslator->AddSaveHandler([](TLanguageFile& ini) { ini.WriteString("Order", "first", "x"); });
    FTranslator->AddSaveHandler([](TLanguageFile&) { throw Exception("broken"); });
    FTranslator->AddSaveHandler([](TLanguageFile& ini) { ini.WriteString("Order", "late", "y"); });
    TLanguageFile ini;
    EXPECT_FALSE(FTranslator->RunSaveHandlers(ini));
    EXPECT_EQ(ini.ReadString("Order", "first", ""), "x");
    EXPECT_FALSE(ini.ValueExists("Order", "late")); // the error ended the step
}

} // namespace
} // namespace vx::i18n
