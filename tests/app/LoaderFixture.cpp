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

void TRecordingSink::ShowWelcomeInfo(std::uint8_t kind, bool available, const std::string& text) {
    Record("info " + std::to_string(kind) + " " + (available ? "1" : "0") + " " + text);
}

void TRecordingSink::ShowServiceStatus(std::uint8_t index, std::uint8_t status) {
    Record("status " + std::to_string(index) + " " + std::to_string(status));
}

void TRecordingSink::Record(std::string line) {
    Reports.push_back(std::move(line));
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
    for (const auto& service : health::SuiteServices) {
        auto behaviour = std::make_shared<suitesim::TSimBehaviour>();
        behaviour->ServiceName = service.ServiceName;
        FPorts.push_back(vx::test::FreeLoopbackPort());
        FServices.push_back(StartThread<suitesim::TSimDaemon>(FPorts.back(), behaviour));
    }
    auto corrupt = std::make_shared<suitesim::TSimBehaviour>();
    corrupt->ServiceName = health::SuiteServices[1].ServiceName;
    corrupt->Corrupt = true;
    FCorruptFirewallPort = vx::test::FreeLoopbackPort();
    FServices.push_back(StartThread<suitesim::TSimDaemon>(FCorruptFirewallPort, corrupt));

    // The daemons bind on their own threads: wait until each answers as it should.
    health::TWebThreadTester probe;
    for (std::size_t i = 0; i < FPorts.size(); ++i) {
        probe.AddTest(FPorts[i], health::SuiteServices[i].ServiceName, "");
    }
    probe.AddTest(FCorruptFirewallPort, "corrupt", "");
    ASSERT_TRUE(UiThread::PumpUntil(
        [&] {
            probe.TestAll();
            for (int I = 0; I < probe.TestCount() - 1; ++I) {
                if (probe.Tests(I).Status != health::tsWorking) {
                    return false;
                }
            }
            return probe.Tests(probe.TestCount() - 1).Status == health::tsCorrupted;
        },
        Deadline));
}

void LoaderTest::Machine(const std::string& welcome, const std::string& classValue,
                         bool helperObject, const std::string& user) {
    std::string hive = WelcomeKey + welcome + "\r\n";
    if (!classValue.empty()) {
        hive += ClassKey + classValue + "\"ThreadingModel\"=\"Apartment\"\r\n\r\n";
    }
    if (helperObject) {
        hive += HelperObjectKey + "@=\"Korvex - Thornet 2 Browser Helper\"\r\n\r\n";
    }
    FPrefix.Hives(hive, user);
    FPrefix.Install();
}

std::string LoaderTest::DefaultWelcome() {
    return "\"LastUpdate\"=\"2026-12-01 08:30\"\r\n\"FileDBCount\"=dword:0012d687\r\n";
}

std::string LoaderTest::DefaultClassValue() {
    return "@=\"C:\\\\Suite\\\\krvxbho.dll\"\r\n";
}

void LoaderTest::StartLoader(TFirewall firewall) {
    auto tester = std::make_unique<health::TWebThreadTester>();
    for (std::size_t i = 0; i < FPorts.size(); ++i) {
        const auto& service = health::SuiteServices[i];
        int port = FPorts[i];
        if (service.Port == health::FirewallServicePort) {
            if (firewall == TFirewall::Corrupted) {
                port = FCorruptFirewallPort;
            } else if (firewall == TFirewall::Down) {
                port = vx::test::FreeLoopbackPort();
            }
        }
        tester->AddTest(port, service.ServiceName, service.DisplayName);
    }
    TLoaderSetup setup;
    setup.Tester = std::move(tester);
    setup.InstallFolder = InstallFolder();
    setup.CycleWait = NoWake;
    FLoader.reset(new TWelcomeInfoLoaderThread(std::move(setup)));
    FLoader->SetSink(&FSink);
    FLoader->Start();
}

bool LoaderTest::WaitForReports(std::size_t count) {
    return UiThread::PumpUntil([&] { return FSink.Reports.size() >= count; }, Deadline);
}

bool LoaderTest::WaitForEnd() {
    return UiThread::PumpUntil([&] { return FLoader->Finished(); }, Deadline);
}

std::vector<std::string> LoaderTest::OneCycle(TFirewall firewall) {
    FSink.Reports.clear();
    StartLoader(firewall);
    EXPECT_TRUE(WaitForReports(8));
    FLoader.reset();
    return FSink.Reports;
}

std::vector<std::string> LoaderTest::FullCycle() const {
    return {std::string("info 0 1 ") + VX_SCANLIB_VERSION,
            "info 1 1 2026-12-01 08:30",
            "info 3 1 1234567",
            "status 0 1",
            "status 1 1",
            "status 2 1",
            "status 3 1",
            "status 4 1"};
}

} // namespace vx::app::test
