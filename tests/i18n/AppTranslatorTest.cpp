#include "i18n/AppTranslator.h"

#include "config/ConfigManager.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::i18n {
namespace {

constexpr const char* ProductName = "Korvex - Thornet 2";

class AppTranslatorTest : public ::testing::Test {
protected:
    void SetUp() override { config::CreateConfigManager(ProductName); }
    void TearDown() override {
        FreeAppTranslator();
        config::FreeConfigManager();
    }
};

TEST(AppTranslatorWithoutConfig, RaisesThePleaseIncludeError) {
    config::FreeConfigManager();
    try {
        TAppTranslator Translator;
        FAIL() << "constructed without a configuration manager";
    } catch (const ETranslatorError& Error) {
        EXPECT_EQ(Error.Message(), "Please do include qelConfig!");
    }
    EXPECT_THROW(CreateAppTranslator(), ETranslatorError);
    EXPECT_EQ(AppTranslator(), nullptr);
}

TEST_F(AppTranslatorTest, RegistryKeyFollowsTheProductName) {
    TAppTranslator Translator;
    EXPECT_EQ(Translator.RegistryRootKey(), win::HKEY_CURRENT_USER);
    EXPECT_EQ(Translator.RegistryKey(), "\\Software\\Qelvane Limited\\Korvex - Thornet 2");
    EXPECT_EQ(Translator.RegistryValue(), "Language");

    config::ConfigManager().SetProductName("Korvex - Thornet 3");
    EXPECT_EQ(Translator.RegistryKey(), "\\Software\\Qelvane Limited\\Korvex - Thornet 3");
}

TEST_F(AppTranslatorTest, ProductNameChangeAfterTheTranslatorIsFreedIsHarmless) {
    { TAppTranslator Translator; }
    config::ConfigManager().SetProductName("Other");
    TAppTranslator Later;
    EXPECT_EQ(Later.RegistryKey(), "\\Software\\Qelvane Limited\\Other");
}

TEST_F(AppTranslatorTest, LoadHandlersRunInRegistrationOrderWithTheFile) {
    TAppTranslator Translator;
    std::vector<std::string> Seen;
    auto Record = [&Seen](const std::string& Name) {
        return [&Seen, Name](const TLanguageFile& Ini) {
            Seen.push_back(Name + ":" + Ini.ReadString("Main", "LanguageName", "?"));
        };
    };
    const auto Twice = Record("b");
    Translator.AddLoadHandler(Record("a"));
    Translator.AddLoadHandler(Twice);
    Translator.AddLoadHandler(Twice);
    EXPECT_EQ(Translator.LoadEvents().size(), 3u);

    EXPECT_TRUE(Translator.RunLoadHandlers(TLanguageFile("[Main]\nLanguageName=Deutsch\n")));
    EXPECT_EQ(Seen, (std::vector<std::string>{"a:Deutsch", "b:Deutsch", "b:Deutsch"}));
}

TEST_F(AppTranslatorTest, AFailingLoadHandlerSkipsTheRest) {
    TAppTranslator Translator;
    std::vector<int> Seen;
    Translator.AddLoadHandler([&](const TLanguageFile&) { Seen.push_back(1); });
    Translator.AddLoadHandler([](const TLanguageFile&) { throw Exception("broken handler"); });
    Translator.AddLoadHandler([&](const TLanguageFile&) { Seen.push_back(3); });
    EXPECT_FALSE(Translator.RunLoadHandlers(TLanguageFile()));
    EXPECT_EQ(Seen, std::vector<int>{1});
}

TEST_F(AppTranslatorTest, SaveHandlersAreStoredInOrder) {
    TAppTranslator Translator;
    Translator.AddSaveHandler([](TLanguageFile& Ini) { Ini.WriteString("S", "first", "1"); });
    Translator.AddSaveHandler([](TLanguageFile& Ini) { Ini.WriteString("S", "second", "2"); });
    TLanguageFile Template;
    for (const auto& Handler : Translator.SaveEvents()) {
        Handler(Template);
    }
    EXPECT_EQ(Template.ReadSection("S"), (std::vector<std::string>{"first", "second"}));
}

TEST_F(AppTranslatorTest, ProcessWideInstanceIsCreatedOnce) {
    EXPECT_EQ(AppTranslator(), nullptr);
    CreateAppTranslator();
    TAppTranslator* First = AppTranslator();
    ASSERT_NE(First, nullptr);
    CreateAppTranslator();
    EXPECT_EQ(AppTranslator(), First);
    FreeAppTranslator();
    EXPECT_EQ(AppTranslator(), nullptr);
}

} // namespace
} // namespace vx::i18n
