#include "LoaderFixture.h"
#include "config/ConfigManager.h"
#include "platform/EventLog.h"
#include "platform/Exception.h"
#include "support/TempPrefix.h"

#include <filesystem>
#include <fstream>

namespace vx::app::test {
namespace {

namespace fs = std::filesystem;

TEST_F(LoaderTest, ACycleMakesEightReportsInOrderOnTheUiThread) {
    EXPECT_EQ(OneCycle(), FullCycle());
    for (const auto& Thread : FSink.Threads) {
        EXPECT_EQ(Thread, std::this_thread::get_id());
    }
}

TEST_F(LoaderTest, TheBrowserHelperDecidesWhetherAWorkingFirewallCounts) {
    const std::string Expand =
        "@=hex(2):" + vx::test::HexUtf16(std::string("C:\\Suite\\krvxbho.dll\0", 21)) + "\r\n";
    const std::string Unexpanded =
        "@=hex(2):" + vx::test::HexUtf16(std::string("%SystemDrive%\\Suite\\krvxbho.dll\0", 33)) +
        "\r\n";
    const std::string UserClass = "[HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\"
                                  "{6A1F3C92-0D4E-4B7A-9E21-7C55D0A3B814}\\InprocServer32]\r\n" +
                                  DefaultClassValue();
    struct TCase {
        const char* Name;
        std::string ClassValue; // empty: no class key
        bool HelperObject;
        TFirewall Firewall;
        int Status; // reported for index 3
        std::string User = {};
    };
    const TCase Cases[] = {
        {"registered", DefaultClassValue(), true, TFirewall::Working, 1},
        {"no class key", "", true, TFirewall::Working, 2},
        {"helper file missing", "@=\"C:\\\\Suite\\\\gone.dll\"\r\n", true, TFirewall::Working, 2},
        {"helper is a folder", "@=\"C:\\\\Suite\\\\folder.dll\"\r\n", true, TFirewall::Working, 2},
        {"no default value", "\"Other\"=\"C:\\\\Suite\\\\krvxbho.dll\"\r\n", true,
         TFirewall::Working, 2},
        {"default value is a number", "@=dword:00000001\r\n", true, TFirewall::Working, 2},
        {"default value is binary", "@=hex:43,3a,5c\r\n", true, TFirewall::Working, 2},
        {"expandable text as stored", Expand, true, TFirewall::Working, 1},
        {"expandable text is not expanded", Unexpanded, true, TFirewall::Working, 2},
        {"no Browser Helper Objects key", DefaultClassValue(), false, TFirewall::Working, 2},
        {"class registered for the user", "", true, TFirewall::Working, 1, UserClass},
        {"registered, firewall corrupted", DefaultClassValue(), true, TFirewall::Corrupted, 3},
        {"not registered, firewall corrupted", "", false, TFirewall::Corrupted, 3},
        {"registered, firewall down", DefaultClassValue(), true, TFirewall::Down, 2},
        {"not registered, firewall down", "", false, TFirewall::Down, 2},
    };
    for (const auto& Case : Cases) {
        Machine(DefaultWelcome(), Case.ClassValue, Case.HelperObject, Case.User);
        auto Expected = FullCycle();
        Expected[6] = "status 3 " + std::to_string(Case.Status);
        EXPECT_EQ(OneCycle(Case.Firewall), Expected) << Case.Name;
    }
}

TEST_F(LoaderTest, ConfigurationValuesAreReportedAsStored) {
    const std::string UserWelcome =
        "[HKEY_CURRENT_USER\\Software\\Qelvane Limited\\Korvex - Thornet 2\\Welcome]\r\n"
        "\"LastUpdate\"=\"from the user\"\r\n\"FileDBCount\"=dword:00000010\r\n";
    struct TCase {
        const char* Name;
        std::string Welcome;
        std::string LastUpdateReport;
        std::string DatabaseSizeReport;
        std::string User = {};
    };
    const TCase Cases[] = {
        {"all ones is -1", "\"LastUpdate\"=\"x\"\r\n\"FileDBCount\"=dword:ffffffff\r\n",
         "info 1 1 x", "info 3 1 -1"},
        {"largest and smallest", "\"FileDBCount\"=dword:7fffffff\r\n", "info 1 0 ",
         "info 3 1 2147483647"},
        {"negative", "\"FileDBCount\"=dword:80000000\r\n", "info 1 0 ", "info 3 1 -2147483648"},
        {"zero and empty text", "\"LastUpdate\"=\"\"\r\n\"FileDBCount\"=dword:00000000\r\n",
         "info 1 1 ", "info 3 1 0"},
        {"text as stored", "\"LastUpdate\"=\"  01.12.2026 \\\"late\\\" \"\r\n",
         "info 1 1   01.12.2026 \"late\" ", "info 3 0 "},
        {"missing", "", "info 1 0 ", "info 3 0 "},
        {"wrong types", "\"LastUpdate\"=dword:00000001\r\n\"FileDBCount\"=\"12\"\r\n", "info 1 0 ",
         "info 3 0 "},
        {"number stored as binary", "\"FileDBCount\"=hex:01,00,00,00\r\n", "info 1 0 ",
         "info 3 0 "},
        {"the user's values", "", "info 1 1 from the user", "info 3 1 16", UserWelcome},
    };
    for (const auto& Case : Cases) {
        Machine(Case.Welcome, DefaultClassValue(), true, Case.User);
        const auto Reports = OneCycle();
        ASSERT_EQ(Reports.size(), 8u) << Case.Name;
        EXPECT_EQ(Reports[1], Case.LastUpdateReport) << Case.Name;
        EXPECT_EQ(Reports[2], Case.DatabaseSizeReport) << Case.Name;
    }
}

TEST_F(LoaderTest, TheScannerLibraryIsReportedByWhatItsFileHolds) {
    const fs::path Library = InstallFolder() + "krvxscanlib.dll";
    std::ifstream In(VX_SCANLIB_DLL, std::ios::binary);
    const std::string Whole{std::istreambuf_iterator<char>(In), {}};
    struct TCase {
        const char* Name;
        std::function<void()> Make;
        std::string Report;
    };
    const auto WriteLibrary = [&](const std::string& Bytes) {
        std::ofstream(Library, std::ios::binary | std::ios::trunc) << Bytes;
    };
    const TCase Cases[] = {
        {"intact", [] {}, "info 0 1 " VX_SCANLIB_VERSION},
        {"missing", [&] { fs::remove(Library); }, "info 0 0 "},
        {"a folder of that name",
         [&] {
             fs::remove(Library);
             fs::create_directory(Library);
         },
         "info 0 0 "},
        {"without a version resource",
         [&] { fs::copy_file(VX_NOVERSION_DLL, Library, fs::copy_options::overwrite_existing); },
         "info 0 1 "},
        {"truncated", [&] { WriteLibrary(Whole.substr(0, Whole.size() / 2)); }, "info 0 1 "},
        {"cut inside the version block",
         [&] { WriteLibrary(Whole.substr(0, Whole.size() - 1400)); }, "info 0 1 "},
        {"not a PE file", [&] { WriteLibrary("MZ but nothing else"); }, "info 0 1 "},
        {"empty", [&] { WriteLibrary(""); }, "info 0 1 "},
    };
    for (const auto& Case : Cases) {
        fs::remove_all(Library);
        fs::copy_file(VX_SCANLIB_DLL, Library);
        Case.Make();
        const auto Reports = OneCycle();
        ASSERT_EQ(Reports.size(), 8u) << Case.Name;
        EXPECT_EQ(Reports[0], Case.Report) << Case.Name;
    }
}

TEST_F(LoaderTest, SignallingTheEventWhileItWaitsStartsTheNextCycleAtOnce) {
    StartLoader();
    ASSERT_TRUE(WaitForReports(8));
    // The loader waits an hour unless woken: only the signal can bring the second cycle.
    FEvent->Set();
    ASSERT_TRUE(WaitForReports(16));
    auto Twice = FullCycle();
    const auto Full = FullCycle();
    Twice.insert(Twice.end(), Full.begin(), Full.end());
    EXPECT_EQ(FSink.Reports, Twice);
    // The loader reset the event after its wait.
    EXPECT_FALSE(FEvent->IsSet());
}

TEST_F(LoaderTest, ASignalDuringACycleMakesTheFollowingWaitReturnAtOnce) {
    FSink.OnReport = [this](std::size_t Count) {
        if (Count == 3) {
            FEvent->Set();
        }
    };
    StartLoader();
    ASSERT_TRUE(WaitForReports(16));
}

TEST_F(LoaderTest, TerminateAndSignalEndAWaitingLoaderWithoutAnotherCycle) {
    StartLoader();
    ASSERT_TRUE(WaitForReports(8));
    // As the window stops it: the thread's flag, then its own handle on the event.
    FLoader->TWorkerThread::Terminate();
    FEvent->Set();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(FSink.Reports, FullCycle());
}

TEST_F(LoaderTest, TerminateAloneWakesAWaitingLoader) {
    StartLoader();
    ASSERT_TRUE(WaitForReports(8));
    FLoader->Terminate();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(FSink.Reports, FullCycle());
}

TEST_F(LoaderTest, ACycleThatHasBegunIsCompletedBeforeTheLoaderEnds) {
    FSink.OnReport = [this](std::size_t Count) {
        if (Count == 1) {
            FLoader->Terminate();
        }
    };
    StartLoader();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(FSink.Reports, FullCycle());
}

TEST_F(LoaderTest, AFailedCycleIsLoggedOnceAndTheNextCycleRuns) {
    win::TEventLogRecorder Events;
    config::FreeConfigManager();
    // The scanner version comes before the configuration is needed, so each failing cycle
    // still makes one report. The first two cycles wake the loader for the next one; the
    // third brings the configuration back while the loader waits for its first report.
    FSink.OnReport = [this](std::size_t Count) {
        if (Count <= 2) {
            FEvent->Set();
        } else if (Count == 3) {
            config::CreateConfigManager("VXTray");
            config::ConfigManager().SetProductName("Korvex - Thornet 2");
        }
    };
    StartLoader();
    ASSERT_TRUE(WaitForReports(10));
    const std::vector<std::string> Tail(FSink.Reports.begin() + 2, FSink.Reports.end());
    EXPECT_EQ(Tail, FullCycle());
    EXPECT_EQ(FSink.Reports[1], FSink.Reports[0]);

    // Two failures with the same message: one entry.
    const auto Logged = Events.Events();
    ASSERT_EQ(Logged.size(), 1u);
    EXPECT_EQ(Logged[0].Source, "Korvex - Thornet 2");
    EXPECT_EQ(Logged[0].Type, win::EVENTLOG_ERROR_TYPE);
    const std::vector<std::string> Strings{"TWelcomeInfoLoaderThread",
                                           "The configuration manager has not been created"};
    EXPECT_EQ(Logged[0].Strings, Strings);
}

TEST_F(LoaderTest, ASinkThatFailsEndsOnlyItsCycle) {
    win::TEventLogRecorder Events;
    FSink.OnReport = [](std::size_t Count) {
        if (Count == 6) {
            throw vx::Exception("the window is gone");
        }
    };
    StartLoader();
    ASSERT_TRUE(WaitForReports(6));
    FEvent->Set();
    ASSERT_TRUE(WaitForReports(14));
    // The first cycle stopped at the failing report; the second was whole.
    const auto Full = FullCycle();
    std::vector<std::string> Expected(Full.begin(), Full.begin() + 6);
    Expected.insert(Expected.end(), Full.begin(), Full.end());
    EXPECT_EQ(FSink.Reports, Expected);
    ASSERT_EQ(Events.Events().size(), 1u);
    EXPECT_EQ(Events.Events()[0].Strings.at(1), "the window is gone");
}

TEST(FileVersionTextTest, FourNumbersAndTheSixtyFourBitVersion) {
    std::uint64_t Version = 99;
    EXPECT_EQ(TWelcomeInfoLoaderThread::GetFileVersionText(VX_SCANLIB_DLL, &Version),
              VX_SCANLIB_VERSION);
    // 2.7.1031.40961
    EXPECT_EQ(Version, (2ull << 48) | (7ull << 32) | (1031ull << 16) | 40961ull);
    for (const char* File : {VX_NOVERSION_DLL, "/no/such.dll"}) {
        Version = 99;
        EXPECT_EQ(TWelcomeInfoLoaderThread::GetFileVersionText(File, &Version), "") << File;
        EXPECT_EQ(Version, 0u) << File;
    }
    EXPECT_EQ(TWelcomeInfoLoaderThread::GetFileVersionText(VX_SCANLIB_DLL), VX_SCANLIB_VERSION);
}

} // namespace
} // namespace vx::app::test
