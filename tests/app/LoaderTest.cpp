#include "LoaderFixture.h"
#include "config/ConfigManager.h"
#include "platform/EventLog.h"
#include "platform/Exception.h"
#include "support/TempPrefix.h"

#include <filesystem>
#include <fstream>
#include <vector>

namespace vx::app::test {
namespace {

namespace fs = std::filesystem;

TEST_F(LoaderTest, ACycleMakesEightReportsInOrderOnTheUiThread) {
    EXPECT_EQ(OneCycle(), FullCycle());
    for (const auto& thread : FSink.Threads) {
        EXPECT_EQ(thread, std::this_thread::get_id());
    }
}

TEST_F(LoaderTest, TheBrowserHelperDecidesWhetherAWorkingFirewallCounts) {
    const std::string expand =
        "@=hex(2):" + vx::test::HexUtf16(std::string("C:\\Suite\\krvxbho.dll") + '\0') + "\r\n";
    const std::string unexpanded =
        "@=hex(2):" + vx::test::HexUtf16(std::string("%SystemDrive%\\Suite\\krvxbho.dll") + '\0') +
        "\r\n";
    const std::string userClass = "[HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\"
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
    const TCase cases[] = {
        {"registered", DefaultClassValue(), true, TFirewall::Working, 1},
        {"no class key", "", true, TFirewall::Working, 2},
        {"helper file missing", "@=\"C:\\\\Suite\\\\gone.dll\"\r\n", true, TFirewall::Working, 2},
        {"helper is a folder", "@=\"C:\\\\Suite\\\\folder.dll\"\r\n", true, TFirewall::Working, 2},
        {"no default value", "\"Other\"=\"C:\\\\Suite\\\\krvxbho.dll\"\r\n", true,
         TFirewall::Working, 2},
        {"default value is a number", "@=dword:00000001\r\n", true, TFirewall::Working, 2},
        {"default value is binary", "@=hex:43,3a,5c\r\n", true, TFirewall::Working, 2},
        {"expandable text as stored", expand, true, TFirewall::Working, 1},
        {"expandable text is not expanded", unexpanded, true, TFirewall::Working, 2},
        {"no Browser Helper Objects key", DefaultClassValue(), false, TFirewall::Working, 2},
        {"class registered for the user", "", true, TFirewall::Working, 1, userClass},
        {"registered, firewall corrupted", DefaultClassValue(), true, TFirewall::Corrupted, 3},
        {"not registered, firewall corrupted", "", false, TFirewall::Corrupted, 3},
        {"registered, firewall down", DefaultClassValue(), true, TFirewall::Down, 2},
        {"not registered, firewall down", "", false, TFirewall::Down, 2},
    };
    for (const auto& testCase : cases) {
        Machine(DefaultWelcome(), testCase.ClassValue, testCase.HelperObject, testCase.User);
        auto expected = FullCycle();
        expected[6] = "status 3 " + std::to_string(testCase.Status);
        EXPECT_EQ(OneCycle(testCase.Firewall), expected) << testCase.Name;
    }
}

TEST_F(LoaderTest, ConfigurationValuesAreReportedAsStored) {
    const std::string userWelcome =
        "[HKEY_CURRENT_USER\\Software\\Qelvane Limited\\Korvex - Thornet 2\\Welcome]\r\n"
        "\"LastUpdate\"=\"from the user\"\r\n\"FileDBCount\"=dword:00000010\r\n";
    struct TCase {
        const char* Name;
        std::string Welcome;
        std::string LastUpdateReport;
        std::string DatabaseSizeReport;
        std::string User = {};
    };
    const TCase cases[] = {
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
        {"the user's values", "", "info 1 1 from the user", "info 3 1 16", userWelcome},
    };
    for (const auto& testCase : cases) {
        Machine(testCase.Welcome, DefaultClassValue(), true, testCase.User);
        const auto reports = OneCycle();
        ASSERT_EQ(reports.size(), 8u) << testCase.Name;
        EXPECT_EQ(reports[1], testCase.LastUpdateReport) << testCase.Name;
        EXPECT_EQ(reports[2], testCase.DatabaseSizeReport) << testCase.Name;
    }
}

TEST_F(LoaderTest, TheScannerLibraryIsReportedByWhatItsFileHolds) {
    const fs::path library = InstallFolder() + "krvxscanlib.dll";
    std::ifstream in(VX_SCANLIB_DLL, std::ios::binary);
    const std::string whole{std::istreambuf_iterator<char>(in), {}};
    struct TCase {
        const char* Name;
        std::function<void()> Make;
        std::string Report;
    };
    const auto writeLibrary = [&](const std::string& bytes) {
        std::ofstream(library, std::ios::binary | std::ios::trunc) << bytes;
    };
    const TCase cases[] = {
        {"intact", [] {}, "info 0 1 " VX_SCANLIB_VERSION},
        {"missing", [&] { fs::remove(library); }, "info 0 0 "},
        {"a folder of that name",
         [&] {
             fs::remove(library);
             fs::create_directory(library);
         },
         "info 0 0 "},
        {"without a version resource",
         [&] { fs::copy_file(VX_NOVERSION_DLL, library, fs::copy_options::overwrite_existing); },
         "info 0 1 "},
        {"truncated", [&] { writeLibrary(whole.substr(0, whole.size() / 2)); }, "info 0 1 "},
        {"cut inside the version block",
         [&] { writeLibrary(whole.substr(0, whole.size() - 1400)); }, "info 0 1 "},
        {"not a PE file", [&] { writeLibrary("MZ but nothing else"); }, "info 0 1 "},
        {"empty", [&] { writeLibrary(""); }, "info 0 1 "},
    };
    for (const auto& testCase : cases) {
        fs::remove_all(library);
        fs::copy_file(VX_SCANLIB_DLL, library);
        testCase.Make();
        const auto reports = OneCycle();
        ASSERT_EQ(reports.size(), 8u) << testCase.Name;
        EXPECT_EQ(reports[0], testCase.Report) << testCase.Name;
    }
}

TEST_F(LoaderTest, SignallingTheEventWhileItWaitsStartsTheNextCycleAtOnce) {
    StartLoader();
    ASSERT_TRUE(WaitForReports(8));
    // The loader waits an hour unless woken: only the signal can bring the second cycle.
    FEvent->Set();
    ASSERT_TRUE(WaitForReports(16));
    auto twice = FullCycle();
    const auto full = FullCycle();
    twice.insert(twice.end(), full.begin(), full.end());
    EXPECT_EQ(FSink.Reports, twice);
    // The loader reset the event after its wait.
    EXPECT_FALSE(FEvent->IsSet());
}

TEST_F(LoaderTest, ASignalDuringACycleMakesTheFollowingWaitReturnAtOnce) {
    FSink.OnReport = [this](std::size_t count) {
        if (count == 3) {
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

// Told to end during a cycle, the loader reads what is local but probes no service: a probe
// may hang for 15 s, and exit must not wait for it.
TEST_F(LoaderTest, ACycleToldToEndProbesNoService) {
    FSink.OnReport = [this](std::size_t count) {
        if (count == 1) {
            FLoader->Terminate();
        }
    };
    StartLoader();
    ASSERT_TRUE(WaitForEnd());
    const auto full = FullCycle();
    EXPECT_EQ(FSink.Reports, std::vector<std::string>(full.begin(), full.begin() + 3));
}

TEST_F(LoaderTest, AFailedCycleIsLoggedOnceAndTheNextCycleRuns) {
    win::TEventLogRecorder events;
    config::FreeConfigManager();
    // The scanner version comes before the configuration is needed, so each failing cycle
    // still makes one report. The first two cycles wake the loader for the next one; the
    // third brings the configuration back while the loader waits for its first report.
    FSink.OnReport = [this](std::size_t count) {
        if (count <= 2) {
            FEvent->Set();
        } else if (count == 3) {
            config::CreateConfigManager("VXTray");
            config::ConfigManager().SetProductName("Korvex - Thornet 2");
        }
    };
    StartLoader();
    ASSERT_TRUE(WaitForReports(10));
    const std::vector<std::string> tail(FSink.Reports.begin() + 2, FSink.Reports.end());
    EXPECT_EQ(tail, FullCycle());
    EXPECT_EQ(FSink.Reports[1], FSink.Reports[0]);

    // Two failures with the same message: one entry.
    const auto logged = events.Events();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].Source, "Korvex - Thornet 2");
    EXPECT_EQ(logged[0].Type, win::EVENTLOG_ERROR_TYPE);
    const std::vector<std::string> strings{"TWelcomeInfoLoaderThread",
                                           "The configuration manager has not been created"};
    EXPECT_EQ(logged[0].Strings, strings);
}

TEST_F(LoaderTest, ASinkThatFailsEndsOnlyItsCycle) {
    win::TEventLogRecorder events;
    FSink.OnReport = [](std::size_t count) {
        if (count == 6) {
            throw vx::Exception("the window is gone");
        }
    };
    StartLoader();
    ASSERT_TRUE(WaitForReports(6));
    FEvent->Set();
    ASSERT_TRUE(WaitForReports(14));
    // The first cycle stopped at the failing report; the second was whole.
    const auto full = FullCycle();
    std::vector<std::string> expected(full.begin(), full.begin() + 6);
    expected.insert(expected.end(), full.begin(), full.end());
    EXPECT_EQ(FSink.Reports, expected);
    ASSERT_EQ(events.Events().size(), 1u);
    EXPECT_EQ(events.Events()[0].Strings.at(1), "the window is gone");
}

TEST(FileVersionTextTest, FourNumbersAndTheSixtyFourBitVersion) {
    std::uint64_t version = 99;
    EXPECT_EQ(TWelcomeInfoLoaderThread::GetFileVersionText(VX_SCANLIB_DLL, &version),
              VX_SCANLIB_VERSION);
    // 2.7.1031.40961
    EXPECT_EQ(version, (2ull << 48) | (7ull << 32) | (1031ull << 16) | 40961ull);
    for (const char* file : {VX_NOVERSION_DLL, "/no/such.dll"}) {
        version = 99;
        EXPECT_EQ(TWelcomeInfoLoaderThread::GetFileVersionText(file, &version), "") << file;
        EXPECT_EQ(version, 0u) << file;
    }
    EXPECT_EQ(TWelcomeInfoLoaderThread::GetFileVersionText(VX_SCANLIB_DLL), VX_SCANLIB_VERSION);
}

} // namespace
} // namespace vx::app::test
