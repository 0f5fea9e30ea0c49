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
        TAppTranslator translator;
        FAIL() << "constructed without a configuration manager";
    } catch (const ETranslatorError& error) {
        EXPECT_EQ(error.Message(), "Please do include qelConfig!");
    }
    EXPECT_THROW(CreateAppTranslator(), ETranslatorError);
    EXPECT_EQ(AppTranslator(), nullptr);
}

TEST_F(AppTranslatorTest, RegistryKeyFollowsTheProductName) {
    TAppTranslator translator;
    EXPECT_EQ(translator.RegistryRootKey(), win::HKEY_CURRENT_USER);
    EXPECT_EQ(translator.RegistryKey(), "\\Software\\Qelvane Limited\\Korvex - Thornet 2");
    EXPECT_EQ(translator.RegistryValue(), "Language");

    config::ConfigManager().SetProductName("Korvex - Thornet 3");
    EXPECT_EQ(translator.RegistryKey(), "\\Software\\Qelvane Limited\\Korvex - Thornet 3");
}

TEST_F(AppTranslatorTest, ProductNameChangeAfterTheTranslatorIsFreedIsHarmless) {
    { TAppTranslator translator; }
    config::ConfigManager().SetProductName("Other");
    TAppTranslator later;
    EXPECT_EQ(later.RegistryKey(), "\\Software\\Qelvane Limited\\Other");
}

TEST_F(AppTranslatorTest, LoadHandlersRunInRegistrationOrderWithTheFile) {
    TAppTranslator translator;
    std::vector<std::string> seen;
    auto record = [&seen](const std::string& name) {
        return [&seen, name](const TLanguageFile& ini) {
            seen.push_back(name + ":" + ini.ReadString("Main", "LanguageName", "?"));
        };
    };
    const auto twice = record("b");
    translator.AddLoadHandler(record("a"));
    translator.AddLoadHandler(twice);
    translator.AddLoadHandler(twice);
    EXPECT_EQ(translator.LoadEvents().size(), 3u);

    EXPECT_TRUE(translator.RunLoadHandlers(TLanguageFile("[Main]\nLanguageName=Deutsch\n")));
    EXPECT_EQ(seen, (std::vector<std::string>{"a:Deutsch", "b:Deutsch", "b:Deutsch"}));
}

TEST_F(AppTranslatorTest, AFailingLoadHandlerSkipsTheRest) {
    TAppTranslator translator;
    std::vector<int> seen;
    translator.AddLoadHandler([&](const TLanguageFile&) { seen.push_back(1); });
    translator.AddLoadHandler([](const TLanguageFile&) { throw Exception("broken handler"); });
    translator.AddLoadHandler([&](const TLanguageFile&) { seen.push_back(3); });
    EXPECT_FALSE(translator.RunLoadHandlers(TLanguageFile()));
    EXPECT_EQ(seen, std::vector<int>{1});
}

TEST_F(AppTranslatorTest, SaveHandlersAreStoredInOrder) {
    TAppTranslator translator;
    translator.AddSaveHandler([](TLanguageFile& ini) { ini.WriteString("S", "first", "1"); });
    translator.AddSaveHandler([](TLanguageFile& ini) { ini.WriteString("S", "second", "2"); });
    TLanguageFile blank;
    for (const auto& handler : translator.SaveEvents()) {
        handler(blank);
    }
    EXPECT_EQ(blank.ReadSection("S"), (std::vector<std::string>{"first", "second"}));
}

TEST_F(AppTranslatorTest, ProcessWideInstanceIsCreatedOnce) {
    EXPECT_EQ(AppTranslator(), nullptr);
    CreateAppTranslator();
    TAppTranslator* first = AppTranslator();
    ASSERT_NE(first, nullptr);
    CreateAppTranslator();
    EXPECT_EQ(AppTranslator(), first);
    FreeAppTranslator();
    EXPECT_EQ(AppTranslator(), nullptr);
}

} // namespace
} // namespace vx::i18n
