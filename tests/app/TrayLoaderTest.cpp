#include "TrayHarness.h"
#include "TrayWindowFixture.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "suite-sim/SampleDecisions.h"

#include <filesystem>
#include <future>
#include <string>

#include <QSystemTrayIcon>
#include <gtest/gtest.h>

namespace vx::app::test {
namespace {

namespace fs = std::filesystem;
using TStates = TSimulatedSuite::TStates;

constexpr const char* HelperFile =
    "drive_c/Program Files/Qelvane Limited/Korvex - Thornet 2/krvxbho.dll";

// What a machine lacks in a case.
enum class TMissing { Nothing, BrowserHelper, WelcomeAndScannerLibrary };

// The window with its status loader over simulated services, on the default machine.
class TrayLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        FServices = std::make_unique<TTrayServices>(VX_DEFAULT_PREFIX, VX_SCANLIB_DLL);
    }
    void TearDown() override {
        dialogs::FreeDecisionDialog();
        FWindow.reset();
        FSuite.reset();
        FServices.reset();
    }

    void Remove(TMissing Missing) {
        if (Missing == TMissing::BrowserHelper) {
            fs::remove(FServices->Prefix().Dir() / HelperFile);
        } else if (Missing == TMissing::WelcomeAndScannerLibrary) {
            fs::remove(FServices->InstallFolder() + "krvxscanlib.dll");
            std::string Hive = FServices->Prefix().Read("system.reg");
            for (const std::string Value : {"\"LastUpdate\"=", "\"FileDBCount\"="}) {
                const auto Start = Hive.find(Value);
                ASSERT_NE(Start, std::string::npos) << Value;
                Hive.erase(Start, Hive.find('\n', Start) + 1 - Start);
            }
            FServices->Prefix().Write("system.reg", Hive);
            FServices->ReloadMachine();
        }
    }

    // A window whose loader probes a suite in these states.
    void Start(const TStates& States) {
        FSuite = std::make_unique<TSimulatedSuite>(States);
        TTrayOptions Options = FSuite->Options(FServices->InstallFolder());
        FDecisionPort = Options.DecisionPort;
        FWindow = std::make_unique<TRecordingTrayWindow>(std::move(Options));
    }
    bool WaitForReports(std::size_t Count) {
        return WaitUntil([&] { return FWindow->Reports().size() >= Count; });
    }
    static QString Label(const char* Name) {
        const QLabel* Shown = FindOne<QLabel>(QString::fromLatin1(Name));
        return Shown == nullptr ? QStringLiteral("(missing)")
                                : Shown->text() + (Shown->font().bold() ? " (bold)" : "");
    }

    std::unique_ptr<TTrayServices> FServices;
    std::unique_ptr<TSimulatedSuite> FSuite;
    std::unique_ptr<TRecordingTrayWindow> FWindow;
    int FDecisionPort = 0;
};

QString Hint(const char* Monitor, const char* Scanner, const char* Firewall, const char* Updater) {
    return QStringLiteral("Korvex - Thornet 2\r\n\r\nSystem Monitor: %1\r\nScanner: %2\r\n"
                          "Firewall: %3\r\nUpdater: %4\r\n")
        .arg(Monitor, Scanner, Firewall, Updater);
}

// After the first cycle the window shows what the loader found, in the cycle's order: a
// service report comes after the information report it may override.
TEST_F(TrayLoaderTest, FirstCycle) {
    constexpr auto Working = TSimState::Working;
    constexpr auto Corrupted = TSimState::Corrupted;
    constexpr auto Down = TSimState::Down;
    struct TCase {
        const char* Name;
        TStates States;
        TMissing Missing;
        QStringList Labels; // from the top
        QString ToolTip;
    };
    const QStringList AllWell{
        "Scanner version: " VX_SCANLIB_VERSION,   "Last update: 2026-12-01 08:30",
        "Database size: 1234567 patterns",        "On-Access protection: on",
        "Antispyware & Antivirus protection: on", "Internet Explorer protection: on"};
    auto With = [&](int Position, const char* Text) {
        QStringList Labels = AllWell;
        Labels[Position] = QString::fromUtf8(Text);
        return Labels;
    };
    const TCase Cases[] = {
        {"all working",
         {},
         TMissing::Nothing,
         AllWell,
         Hint("working", "working", "working", "working")},
        {"updater down",
         {Down, Working, Working, Working},
         TMissing::Nothing,
         With(1, "Update service down! (bold)"),
         Hint("working", "working", "working", "unavailable")},
        {"updater corrupted",
         {Corrupted, Working, Working, Working},
         TMissing::Nothing,
         With(1, "Update service corrupted! (bold)"),
         Hint("working", "working", "working", "corrupted")},
        {"scanner down",
         {Working, Working, Down, Working},
         TMissing::Nothing,
         With(4, "Antispyware & Antivirus protection: off (bold)"),
         Hint("working", "unavailable", "working", "working")},
        {"monitor corrupted",
         {Working, Working, Working, Corrupted},
         TMissing::Nothing,
         With(3, "On-Access protection: corrupted (bold)"),
         Hint("corrupted", "working", "working", "working")},
        {"firewall down",
         {Working, Down, Working, Working},
         TMissing::Nothing,
         With(5, "Internet Explorer protection: off (bold)"),
         Hint("working", "working", "unavailable", "working")},
        {"firewall working, browser helper gone",
         {},
         TMissing::BrowserHelper,
         With(5, "Internet Explorer protection: off (bold)"),
         Hint("working", "working", "unavailable", "working")},
        {"no library, no values",
         {},
         TMissing::WelcomeAndScannerLibrary,
         {"Scanner library missing! (bold)", "No update attempt registered! (bold)",
          "Database size: ???", "On-Access protection: on",
          "Antispyware & Antivirus protection: on", "Internet Explorer protection: on"},
         Hint("working", "working", "working", "working")},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Remove(Case.Missing);
        Start(Case.States);
        ASSERT_TRUE(WaitForReports(8));
        EXPECT_EQ(FWindow->Reports().size(), 8u);
        QStringList Labels;
        for (const char* Name : LabelNames) {
            Labels.append(Label(Name));
        }
        EXPECT_EQ(Labels, Case.Labels);
        EXPECT_EQ(FWindow->TrayIcon().toolTip(), Case.ToolTip);
        FWindow.reset();
        FSuite.reset();
        // A fresh machine for the next case.
        FServices.reset();
        FServices = std::make_unique<TTrayServices>(VX_DEFAULT_PREFIX, VX_SCANLIB_DLL);
    }
}

TEST_F(TrayLoaderTest, ReportsInTheCycleOrder) {
    Start({});
    ASSERT_TRUE(WaitForReports(8));
    EXPECT_EQ(FWindow->Reports(),
              (std::vector<std::string>{"info 0 1 " VX_SCANLIB_VERSION, "info 1 1 2026-12-01 08:30",
                                        "info 3 1 1234567", "status 0 1", "status 1 1",
                                        "status 2 1", "status 3 1", "status 4 1"}));
}

// A decision arriving while the window waits for its loader to end, on its way out, must not
// reach it: no decision dialog may be left behind on a list and a window that are gone.
TEST_F(TrayLoaderTest, DecisionDuringShutdownLeavesNoDialog) {
    // The loader's probe of the updater hangs until released, so the window's end waits.
    Start({TSimState::Hanging, TSimState::Working, TSimState::Working, TSimState::Working});
    ASSERT_TRUE(WaitForReports(1)); // the cycle has begun
    ASSERT_TRUE(WaitUntilServing(FDecisionPort, "VXTray"));
    // As the program ends: the dialog goes first, then the window.
    dialogs::FreeDecisionDialog();
    TSimulatedSuite* Suite = FSuite.get();
    auto Added = std::async(std::launch::async, [Suite, Port = FDecisionPort] {
        std::string Reply;
        const bool Taken = suitesim::SendAddToTray("module=m&information=i&item=late", Reply, Port);
        Suite->ReleaseHung();
        return Taken ? Reply : "failed: " + Reply;
    });
    FWindow.reset();
    EXPECT_EQ(Added.get().rfind("id=0", 0), 0u);
    EXPECT_EQ(dialogs::DecisionDialog(), nullptr);
}

} // namespace
} // namespace vx::app::test
