#include "i18n/LanguageFile.h"
#include "i18n/LanguageFileReader.h"
#include "support/ChildProcess.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

namespace vx::i18n {
namespace {

namespace fs = std::filesystem;

std::pair<int, std::string> Vxlng(const std::vector<std::string>& args) {
    return test::TChildProcess::Run(VXLNG_BINARY, args);
}

class VxlngTest : public ::testing::Test {
protected:
    void SetUp() override {
        FDir = fs::temp_directory_path() /
               ("vx-vxlng-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(FDir);
    }
    void TearDown() override { fs::remove_all(FDir); }

    std::string Path(const std::string& name) const { return (FDir / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path FDir;
};

TEST_F(VxlngTest, PackAndUnpackGiveTheTextBack) {
    const std::string text = "[Main]\r\nLanguageName=Deutsch\r\n[Messages]\r\nÄ=Grüße%0D%0A\r\n";
    const std::string plain = Write("Deutsch.txt", text);
    ASSERT_EQ(Vxlng({"pack", plain, Path("Deutsch.lng")}).first, 0);
    EXPECT_EQ(Read("Deutsch.lng").substr(0, 4), "LCF1");
    EXPECT_EQ(ReadLanguageFileText(Path("Deutsch.lng"), "LCF"), text);
    ASSERT_EQ(Vxlng({"unpack", Path("Deutsch.lng"), Path("back.txt")}).first, 0);
    EXPECT_EQ(Read("back.txt"), text);
    // A plain file unpacks to itself, and a plain text that begins like the compressed form
    // is packed as it stands.
    ASSERT_EQ(Vxlng({"unpack", plain, Path("same.txt")}).first, 0);
    EXPECT_EQ(Read("same.txt"), text);
    const std::string odd = Write("odd.txt", "LCF1[Main]\n");
    ASSERT_EQ(Vxlng({"pack", odd, Path("odd.lng")}).first, 0);
    EXPECT_EQ(ReadLanguageFileText(Path("odd.lng"), "LCF"), "LCF1[Main]\n");
}

TEST_F(VxlngTest, CheckListsWhatTheTranslatorWillNotRead) {
    const std::string file = Write("x.lng", "[Main]\nLanguageName=x\nUse=y\n"
                                            "[Forms]\nlonely line\nFormA=A\nforma=again\n"
                                            "[main]\nFontName=never read\n[Empty]\n");
    const auto [code, output] = Vxlng({"check", file});
    EXPECT_EQ(code, 0);
    EXPECT_EQ(output, "[Main] 2 keys\n"
                      "[Forms] 2 keys\n"
                      "  no \"=\": lonely line\n"
                      "  key occurs again: forma (the first wins)\n"
                      "[main] occurs again: never read (the first wins)\n"
                      "[Empty] 0 keys\n");
}

TEST_F(VxlngTest, TheTemplateHoldsTheTraysTextsAndEveryKeyOfTheShippedLanguages) {
    ASSERT_EQ(Vxlng({"template", Path("template.txt")}).first, 0);
    const TLanguageFile tmpl(Read("template.txt"));
    struct TEntry {
        const char* Section;
        const char* Key;
        const char* Text;
    };
    const std::vector<TEntry> entries{
        {"Main", "LanguageName", "English"},
        {"Forms", "FormPlimmTrayStatus", "Korvex - Thornet 2"},
        {"FormPlimmTrayStatus", "bnClose", "Hide"},
        {"FormPlimmTrayStatus", "labelStatusScanner", "Antispyware && Antivirus protection: ..."},
        {"FormPlimmTrayStatus.alTray", "aFileScan", "File && Folder Scan"},
        {"FormPlimmTrayStatus.PopupTray", "miExit", "Exit"},
        {"Dialog.Generic", "VerificationShowAgain", "Show this dialog again?"},
        {"Dialog.AskPlimmDecisions", "Previous", "< Previous"},
    };
    for (const TEntry& entry : entries) {
        EXPECT_EQ(tmpl.ReadString(entry.Section, entry.Key, "(missing)"), entry.Text)
            << entry.Section << " " << entry.Key;
    }
    // A translation names no text the tray does not have.
    const TLanguageFile german(ReadLanguageFileText(VX_GERMAN_SOURCE, "LCF"));
    for (const std::string& section : german.SectionNames()) {
        for (const std::string& key : german.ReadSection(section)) {
            const bool described = section == "Main";
            EXPECT_TRUE(described || tmpl.ValueExists(section, key)) << section << " " << key;
        }
    }
}

TEST_F(VxlngTest, ErrorsAreToldWithTheirCodes) {
    struct TCase {
        std::vector<std::string> Args;
        int Code;
        std::string Output;
    };
    const std::vector<TCase> cases{
        {{"check", Path("missing.lng")}, 1, "vxlng: cannot read " + Path("missing.lng") + "\n"},
        {{"unpack", Path("missing.lng"), Path("out.txt")},
         1,
         "vxlng: cannot read " + Path("missing.lng") + "\n"},
        {{"pack", Path("missing.txt"), Path("out.lng")},
         1,
         "vxlng: cannot read " + Path("missing.txt") + "\n"},
        {{"pack", Write("in.txt", "x"), Path("no/such/folder.lng")},
         1,
         "vxlng: cannot write " + Path("no/such/folder.lng") + "\n"},
        {{"template", Path("no/such/template.txt")},
         1,
         "vxlng: cannot write " + Path("no/such/template.txt") + "\n"},
        {{"frobnicate"}, 2, ""},
        {{}, 2, ""},
    };
    for (const TCase& testCase : cases) {
        SCOPED_TRACE(testCase.Args.empty() ? "(none)" : testCase.Args[0]);
        const auto [code, output] = Vxlng(testCase.Args);
        EXPECT_EQ(code, testCase.Code);
        if (testCase.Code == 2) {
            EXPECT_NE(output.find("usage: vxlng"), std::string::npos);
        } else {
            EXPECT_EQ(output, testCase.Output);
        }
    }
}

} // namespace
} // namespace vx::i18n
