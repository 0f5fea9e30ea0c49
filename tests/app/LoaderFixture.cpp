#include "LoaderFixture.h"

#include "config/ConfigManager.h"
#include "health/SuiteServices.h"
#include "httpservice/MachineKey.h"
#include "platform/UiThread.h"
#include "support/LoopbackPort.h"
#include "support/TestPeer.h"

#include <chrono>
#include <filesystem>

namespace vx::app::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto Deadline = 30s;
constexpr auto NoWake = std::chrono::hours(1);
const std::string WelcomeKey =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qelvane Limited\\Korvex - Thornet 2\\Welcome]\r\n";
const std::string ClassKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\"
                             "{6A1F3C92-0D4E-4B7A-9E21-7C55D0A3B814}\\InprocServer32]\r\n";
const std::string HelperObjectKey =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\Browser "
    "Helper Objects\\{6A1F3C92-0D4E-4B7A-9E21-7C55D0A3B814}]\r\n";

} // namespace

void TRecordingSink::ShowWelcomeInfo(std::uint8_t Kind, bool Available, const std::string& Text) {
    Record("info " + std::to_string(Kind) + " " + (Available ? "1" : "0") + " " + Text);
}

void TRecordingSink::ShowServiceStatus(std::uint8_t Index, std::uint8_t Status) {
    Record("status " + std::to_string(Index) + " " + std::to_string(Status));
}

void TRecordingSink::Record(std::string Line) {
    Reports.push_back(std::move(Line));
    Threads.push_back(std::this_thread::get_id());
    if (OnReport) {
        OnReport(Reports.size());
    }
}

void LoaderTest::SetUp() {
    UiThread::Attach();
    httpservice::SetMachineKey("00330-80000-00000-AA123");
    FPrefix.MakeFolder("C:\\Suite\\folder.dll");
    FPrefix.Write("drive_c/Suite/krvxbho.dll", "helper");
    Machine(DefaultWelcome(), DefaultClassValue(), true);
    config::CreateConfigManager("VXTray");
    config::ConfigManager().SetProductName("Korvex - Thornet 2");
    fs::create_directory(InstallFolder());
    fs::copy_file(VX_SCANLIB_DLL, InstallFolder() + "krvxscanlib.dll");
    // The window's own handle, made before the loader opens the same event.
    FEvent = win::CreateNamedEvent(LoaderEventName, false);
    FEvent->Reset();
    StartServices();
}

void LoaderTest::TearDown() {
    FLoader.reset();
    FServices.clear();
    FEvent.reset();
    config::FreeConfigManager();
    httpservice::ClearMachineKey();
    UiThread::Detach();
}

void LoaderTest::StartServices() {
    for (const auto& Service : health::SuiteServices) {
        auto Behaviour = std::make_shared<suitesim::TSimBehaviour>();
        Behaviour->ServiceName = Service.ServiceName;
        FPorts.push_back(vx::test::FreeLoopbackPort());
        FServices.push_back(StartThread<suitesim::TSimDaemon>(FPorts.back(), Behaviour));
    }
    auto Corrupt = std::make_shared<suitesim::TSimBehaviour>();
    Corrupt->ServiceName = health::SuiteServices[1].ServiceName;
    Corrupt->Corrupt = true;
    FCorruptFirewallPort = vx::test::FreeLoopbackPort();
    FServices.push_back(StartThread<suitesim::TSimDaemon>(FCorruptFirewallPort, Corrupt));

    // The daemons bind on their own threads: wait until each answers as it should.
    health::TWebThreadTester Probe;
    for (std::size_t I = 0; I < FPorts.size(); ++I) {
        Probe.AddTest(FPorts[I], health::SuiteServices[I].ServiceName, "");
    }
    Probe.AddTest(FCorruptFirewallPort, "corrupt", "");
    ASSERT_TRUE(UiThread::PumpUntil(
        [&] {
            Probe.TestAll();
            for (int I = 0; I < Probe.TestCount() - 1; ++I) {
                if (Probe.Tests(I).Status != health::tsWorking) {
                    return false;
                }
            }
            return Probe.Tests(Probe.TestCount() - 1).Status == health::tsCorrupted;
        },
        Deadline));
}

void LoaderTest::Machine(const std::string& Welcome, const std::string& ClassValue,
                         bool HelperObject, const std::string& User) {
    std::string Hive = WelcomeKey + Welcome + "\r\n";
    if (!ClassValue.empty()) {
        Hive += ClassKey + ClassValue + "\"ThreadingModel\"=\"Apartment\"\r\n\r\n";
    }
    if (HelperObject) {
        Hive += HelperObjectKey + "@=\"Korvex - Thornet 2 Browser Helper\"\r\n\r\n";
    }
    FPrefix.Hives(Hive, User);
    FPrefix.Install();
}

std::string LoaderTest::DefaultWelcome() {
    return "\"LastUpdate\"=\"2026-12-01 08:30\"\r\n\"FileDBCount\"=dword:0012d687\r\n";
}

std::string LoaderTest::DefaultClassValue() {
    return "@=\"C:\\\\Suite\\\\krvxbho.dll\"\r\n";
}

void LoaderTest::StartLoader(TFirewall Firewall) {
    auto Tester = std::make_unique<health::TWebThreadTester>();
    for (std::size_t I = 0; I < FPorts.size(); ++I) {
        const auto& Service = health::SuiteServices[I];
        int Port = FPorts[I];
        if (Service.Port == health::FirewallServicePort) {
            if (Firewall == TFirewall::Corrupted) {
                Port = FCorruptFirewallPort;
            } else if (Firewall == TFirewall::Down) {
                Port = vx::test::FreeLoopbackPort();
            }
        }
        Tester->AddTest(Port, Service.ServiceName, Service.DisplayName);
    }
    TLoaderSetup Setup;
    Setup.Tester = std::move(Tester);
    Setup.InstallFolder = InstallFolder();
    Setup.CycleWait = NoWake;
    FLoader.reset(new TWelcomeInfoLoaderThread(std::move(Setup)));
    FLoader->SetSink(&FSink);
    FLoader->Start();
}

bool LoaderTest::WaitForReports(std::size_t Count) {
    return UiThread::PumpUntil([&] { return FSink.Reports.size() >= Count; }, Deadline);
}

bool LoaderTest::WaitForEnd() {
    return UiThread::PumpUntil([&] { return FLoader->Finished(); }, Deadline);
}

std::vector<std::string> LoaderTest::OneCycle(TFirewall Firewall) {
    FSink.Reports.clear();
    StartLoader(Firewall);
    EXPECT_TRUE(WaitForReports(8));
    FLoader.reset();
    return FSink.Reports;
}

std::vector<std::string> LoaderTest::FullCycle() const {
    return {"info 0 1 " VX_SCANLIB_VERSION,
            "info 1 1 2026-12-01 08:30",
            "info 3 1 1234567",
            "status 0 1",
            "status 1 1",
            "status 2 1",
            "status 3 1",
            "status 4 1"};
}

} // namespace vx::app::test
