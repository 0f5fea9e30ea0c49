// The real VXTray on a real X desktop speaks the language the user chose: the decision
// dialog's labels come from Languages/<HKCU ...\Language>.lng next to the binary, read back
// from what the dialog's Ctrl+C puts on the clipboard, as a user would paste it.
#include "support/CaseName.h"
#include "support/ChildProcess.h"
#include "support/LoopbackPort.h"
#include "support/TempPrefix.h"
#include "support/X11Session.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::Not;

const fs::path BinDir = VX_BIN_DIR;
constexpr int TrayPort = 21324;
// Where the tray remembers the user's language, as vxreg names it.
constexpr const char* SettingsKey = "HKCU\\Software\\Qelvane Limited\\Korvex - Thornet 2";
constexpr const char* Item = "sample-item";
// Bounds of the waits, not expectations: a loaded machine may need most of them.
constexpr auto StartWait = 20s;
constexpr auto EndWait = 10s;

// The desktop first, once for the executable; without it every test skips.
class TDesktopEnvironment : public ::testing::Environment {
public:
    void SetUp() override { TX11Session::Shared().Start(); }
};

[[maybe_unused]] ::testing::Environment* const Desktop =
    ::testing::AddGlobalTestEnvironment(new TDesktopEnvironment);

struct TLanguageCase {
    const char* Name;
    const char* Language;     // the remembered choice; nullptr: none
    const char* Instruction;  // the main instruction, formatted from the file's text
    const char* ItemLine;     // the item's line of the copy
    const char* ForeignLabel; // the other language's label, which must not show
};

const TLanguageCase LanguageCases[] = {
    {"German", "Deutsch", "Eine Systemänderung erfordert Ihre Aufmerksamkeit (1/1)!",
     "Objekt: sample-item", "Item:"},
    {"EnglishWithoutAChoice", nullptr,
     "A system change that needs your attention has occured (1/1)!", "Item: sample-item",
     "Objekt:"},
};

class RememberedLanguage : public testing::TestWithParam<TLanguageCase> {
protected:
    void SetUp() override {
        if (!Session().Available()) {
            GTEST_SKIP() << "no X desktop for real windows: " << Session().Why();
        }
        FXclip = FindProgram("xclip");
        if (!FXclip) {
            GTEST_SKIP() << "xclip is not installed (scripts/install-deps installs it)";
        }
        ASSERT_TRUE(LoopbackBindable(TrayPort)) << "port " << TrayPort << " is taken";
        FEnvironment = {{"VXTRAY_PREFIX", FPrefix.Dir().string()},
                        {"DISPLAY", Session().Display()},
                        {"QT_QPA_PLATFORM", "xcb"}};
        FSuite = std::make_unique<TChildProcess>(BinDir / "suite-sim", std::vector<std::string>{},
                                                 FEnvironment);
        ASSERT_TRUE(FSuite->WaitForLine("listening on 127.0.0.1:21325", StartWait))
            << FSuite->Output();
    }

    static TX11Session& Session() { return TX11Session::Shared(); }

    std::pair<int, std::string> Run(const char* program, const std::vector<std::string>& args) {
        return TChildProcess::Run(BinDir / program, args, FEnvironment);
    }

    // The visible window of the process whose title names the product: the decision dialog,
    // the status window being hidden; 0 when none shows up.
    unsigned long WaitForDialog(pid_t pid) {
        std::optional<std::string> found;
        PollUntil(
            [&] {
                found = Session().XdoTool(
                    {"search", "--onlyvisible", "--pid", std::to_string(pid), "--name", "Thornet"});
                return found && !found->empty();
            },
            StartWait);
        return found && !found->empty() ? std::stoul(found->substr(0, found->find('\n'))) : 0;
    }

    // What the clipboard holds once a dialog's copy is there (the tray of an earlier row took
    // its copy along when it ended); empty when none arrives.
    std::string WaitForCopy() {
        std::string copy;
        PollUntil(
            [&] {
                const auto [code, text] = TChildProcess::Run(
                    *FXclip, {"-o", "-selection", "clipboard", "-t", "UTF8_STRING"},
                    {{"DISPLAY", Session().Display()}}, EndWait);
                copy = code == 0 ? text : std::string();
                return copy.find("[Window Title]") != std::string::npos;
            },
            StartWait);
        return copy;
    }

    std::optional<std::string> FXclip;
    // A copy of the default prefix made here, not by the tray's first start: vxreg writes only
    // into a prefix that exists.
    TTempPrefix FPrefix{BinDir / "prefix"};
    TChildProcess::TEnvironment FEnvironment;
    std::unique_ptr<TChildProcess> FSuite;
};

TEST_P(RememberedLanguage, TheDecisionDialogShowsIt) {
    const TLanguageCase& row = GetParam();
    if (row.Language != nullptr) {
        const auto [code, output] =
            Run("vxreg", {"add", SettingsKey, "/v", "Language", "/d", row.Language, "/f"});
        ASSERT_EQ(code, 0) << output;
    }
    TChildProcess tray(BinDir / "VXTray", {}, FEnvironment);
    ASSERT_TRUE(PollUntil([] { return LoopbackListening(TrayPort); }, StartWait)) << tray.Output();

    const auto [addCode, reply] =
        Run("suite-sim",
            {"--add", std::string("module=m&information=i&decisiontype=decision&item=") + Item});
    ASSERT_EQ(addCode, 0) << reply;
    const unsigned long dialog = WaitForDialog(tray.Pid());
    ASSERT_NE(dialog, 0U) << tray.Output();
    ASSERT_TRUE(Session().Activate(dialog));
    ASSERT_TRUE(Session().Keys({"ctrl+c"}));
    const std::string copy = WaitForCopy();
    EXPECT_THAT(copy, HasSubstr(std::string("\n") + row.Instruction + "\n"));
    EXPECT_THAT(copy, HasSubstr(std::string("\n") + row.ItemLine + "\n"));
    EXPECT_THAT(copy, Not(HasSubstr(row.ForeignLabel)));

    tray.Signal(SIGTERM);
    EXPECT_EQ(tray.Wait(EndWait), 0) << tray.Output();
    EXPECT_TRUE(PollUntil([] { return LoopbackBindable(TrayPort); }, EndWait));
}

INSTANTIATE_TEST_SUITE_P(Rows, RememberedLanguage, ::testing::ValuesIn(LanguageCases), CaseName{});

} // namespace
} // namespace vx::test
