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
        FWindow.reset();
        FSuite.reset();
        FServices.reset();
    }

    void Remove(TMissing missing) {
        if (missing == TMissing::BrowserHelper) {
            fs::remove(FServices->Prefix().Dir() / HelperFile);
        } else if (missing == TMissing::WelcomeAndScannerLibrary) {
            fs::remove(FServices->InstallFolder() + "krvxscanlib.dll");
            std::string hive = FServices->Prefix().Read("system.reg");
            for (const std::string value : {"\"LastUpdate\"=", "\"FileDBCount\"="}) {
                const auto start = hive.find(value);
                ASSERT_NE(start, std::string::npos) << value;
                hive.erase(start, hive.find('\n', start) + 1 - start);
            }
            FServices->Prefix().Write("system.reg", hive);
            FServices->ReloadMachine();
        }
    }

    // A window whose loader probes a suite in these states.
    void Start(const TStates& states) {
        FSuite = std::make_unique<TSimulatedSuite>(states);
        TTrayOptions options = FSuite->Options(FServices->InstallFolder());
        FDecisionPort = options.DecisionPort;
        FWindow = std::make_unique<TRecordingTrayWindow>(std::move(options));
    }
    bool WaitForReports(std::size_t count) {
        return WaitUntil([&] { return FWindow->Reports().size() >= count; });
    }
    static QString Label(const char* name) {
        const QLabel* shown = FindOne<QLabel>(QString::fromLatin1(name));
        return shown == nullptr ? QStringLiteral("(missing)")
                                : shown->text() + (shown->font().bold() ? " (bold)" : "");
    }

    std::unique_ptr<TTrayServices> FServices;
    std::unique_ptr<TSimulatedSuite> FSuite;
    std::unique_ptr<TRecordingTrayWindow> FWindow;
    int FDecisionPort = 0;
};

QString Hint(const char* monitor, const char* scanner, const char* firewall, const char* updater) {
    return QStringLiteral("Korvex - Thornet 2\r\n\r\nSystem Monitor: %1\r\nScanner: %2\r\n"
                          "Firewall: %3\r\nUpdater: %4\r\n")
        .arg(monitor, scanner, firewall, updater);
}

// After the first cycle the window shows what the loader found, in the cycle's order: a
// service report comes after the information report it may override.
TEST_F(TrayLoaderTest, FirstCycle) {
    constexpr auto working = TSimState::Working;
    constexpr auto corrupted = TSimState::Corrupted;
    constexpr auto down = TSimState::Down;
    struct TCase {
        const char* Name;
        TStates States;
        TMissing Missing;
        QStringList Labels; // from the top
        QString ToolTip;
    };
    const QStringList allWell{QStringLiteral("Scanner version: " VX_SCANLIB_VERSION),
                              "Last update: 2026-12-01 08:30",
                              "Database size: 1234567 patterns",
                              "On-Access protection: on",
                              "Antispyware & Antivirus protection: on",
                              "Internet Explorer protection: on"};
    auto with = [&](int position, const char* text) {
        QStringList labels = allWell;
        labels[position] = QString::fromUtf8(text);
        return labels;
    };
    const TCase cases[] = {
        {"all working",
         {},
         TMissing::Nothing,
         allWell,
         Hint("working", "working", "working", "working")},
        {"updater down",
         {down, working, working, working},
         TMissing::Nothing,
         with(1, "Update service down! (bold)"),
         Hint("working", "working", "working", "unavailable")},
        {"updater corrupted",
         {corrupted, working, working, working},
         TMissing::Nothing,
         with(1, "Update service corrupted! (bold)"),
         Hint("working", "working", "working", "corrupted")},
        {"scanner down",
         {working, working, down, working},
         TMissing::Nothing,
         with(4, "Antispyware & Antivirus protection: off (bold)"),
         Hint("working", "unavailable", "working", "working")},
        {"monitor corrupted",
         {working, working, working, corrupted},
         TMissing::Nothing,
         with(3, "On-Access protection: corrupted (bold)"),
         Hint("corrupted", "working", "working", "working")},
        {"firewall down",
         {working, down, working, working},
         TMissing::Nothing,
         with(5, "Internet Explorer protection: off (bold)"),
         Hint("working", "working", "unavailable", "working")},
        {"firewall working, browser helper gone",
         {},
         TMissing::BrowserHelper,
         with(5, "Internet Explorer protection: off (bold)"),
         Hint("working", "working", "unavailable", "working")},
        {"no library, no values",
         {},
         TMissing::WelcomeAndScannerLibrary,
         {"Scanner library missing! (bold)", "No update attempt registered! (bold)",
          "Database size: ???", "On-Access protection: on",
          "Antispyware & Antivirus protection: on", "Internet Explorer protection: on"},
         Hint("working", "working", "working", "working")},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        Remove(testCase.Missing);
        Start(testCase.States);
        ASSERT_TRUE(WaitForReports(8));
        EXPECT_EQ(FWindow->Reports().size(), 8u);
        QStringList labels;
        for (const char* name : LabelNames) {
            labels.append(Label(name));
        }
        EXPECT_EQ(labels, testCase.Labels);
        EXPECT_EQ(FWindow->TrayIcon().toolTip(), testCase.ToolTip);
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
    EXPECT_EQ(FWindow->Reports(), (std::vector<std::string>{
                                      std::string("info 0 1 ") + VX_SCANLIB_VERSION,
                                      "info 1 1 2026-12-01 08:30", "info 3 1 1234567", "status 0 1",
                                      "status 1 1", "status 2 1", "status 3 1", "status 4 1"}));
}

// A decision arriving while the window waits for its loader to end, on its way out, must not
// reach it: no decision dialog may be left behind on a list and a window that are gone.
TEST_F(TrayLoaderTest, DecisionDuringShutdownLeavesNoDialog) {
    // The loader's probe of the updater hangs until released; the window's end cancels it.
    Start({TSimState::Hanging, TSimState::Working, TSimState::Working, TSimState::Working});
    ASSERT_TRUE(WaitForReports(1)); // the cycle has begun
    ASSERT_TRUE(WaitUntilServing(FDecisionPort, "VXTray"));
    TSimulatedSuite* suite = FSuite.get();
    auto added = std::async(std::launch::async, [suite, port = FDecisionPort] {
        std::string reply;
        const bool taken = suitesim::SendAddToTray("module=m&information=i&item=late", reply, port);
        suite->ReleaseHung();
        return taken ? reply : "failed: " + reply;
    });
    FWindow.reset();
    // Taken before the service stopped, or not at all: either way no dialog is left.
    const std::string reply = added.get();
    EXPECT_TRUE(reply.rfind("id=0", 0) == 0 || reply.rfind("failed: ", 0) == 0) << reply;
    EXPECT_EQ(dialogs::DecisionDialog(), nullptr);
}

} // namespace
} // namespace vx::app::test
