#include "TrayHarness.h"

#include "config/ConfigManager.h"
#include "decisions/DialogTexts.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "health/HttpClient.h"
#include "health/ServiceTester.h"
#include "health/SuiteServices.h"
#include "httpservice/MachineKey.h"
#include "support/LoopbackPort.h"
#include "support/TestPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

#include <QTest>

namespace vx::app::test {

namespace fs = std::filesystem;

namespace {

constexpr int DeadlineMilliseconds = 30000;
constexpr const char* DefaultTitle = "VXTray";
constexpr const char* ProductName = "Korvex - Thornet 2";
constexpr const char* ScannerLibraryName = "krvxscanlib.dll";
constexpr const char* InstallFolderName = "install";

// True when something accepts connections on the loopback port.
bool Accepts(int Port) {
    const int Socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (Socket < 0) {
        return false;
    }
    sockaddr_in Address{};
    Address.sin_family = AF_INET;
    Address.sin_port = htons(static_cast<std::uint16_t>(Port));
    Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool Connected =
        ::connect(Socket, reinterpret_cast<const sockaddr*>(&Address), sizeof Address) == 0;
    ::close(Socket);
    return Connected;
}

} // namespace

bool WaitUntil(const std::function<bool()>& Done) {
    return QTest::qWaitFor(Done, DeadlineMilliseconds);
}

bool WaitUntilServing(int Port, const std::string& ServiceName) {
    health::TWebThreadTester Probe;
    Probe.AddTest(Port, ServiceName, "");
    return WaitUntil([&] {
        Probe.TestAll();
        return Probe.Tests(0).Status == health::tsWorking;
    });
}

TTrayServices::TTrayServices(const fs::path& DefaultPrefix, const std::string& ScannerLibrary)
    : FPrefix(DefaultPrefix) {
    FPrefix.Install();
    httpservice::InitMachineKey();
    config::CreateConfigManager(DefaultTitle);
    config::ConfigManager().SetProductName(ProductName);
    health::InitializeHttpClient();
    decisions::RegisterDialogTexts(nullptr);
    fs::create_directory(FPrefix.Dir() / InstallFolderName);
    fs::copy_file(ScannerLibrary, InstallFolder() + ScannerLibraryName);
    FUiThread = std::make_unique<TQtUiThread>();
}

TTrayServices::~TTrayServices() {
    dialogs::FreeDecisionDialog();
    FUiThread.reset();
    decisions::FreeDialogTexts();
    config::FreeConfigManager();
    httpservice::ClearMachineKey();
}

std::string TTrayServices::InstallFolder() const {
    return (FPrefix.Dir() / InstallFolderName).string() + "/";
}

void TTrayServices::ReloadMachine() {
    FPrefix.Install();
}

TSimulatedSuite::TSimulatedSuite(const TStates& States) {
    const std::pair<const char*, TSimState> Wanted[] = {
        {"VXUpdSvc", States.Updater},
        {"VXFWSvc", States.Firewall},
        {"VXFSSvc", States.Scanner},
        {"VXMonSvc", States.Monitor},
    };
    health::TWebThreadTester Probe;
    std::vector<TSimState> Expected;
    std::vector<int> Hanging;
    for (const auto& [Name, State] : Wanted) {
        TService Service;
        Service.Port = vx::test::FreeLoopbackPort();
        if (State != TSimState::Down) {
            Service.Behaviour = std::make_shared<suitesim::TSimBehaviour>();
            Service.Behaviour->ServiceName = Name;
            Service.Behaviour->Corrupt = State == TSimState::Corrupted;
            Service.Behaviour->Hang = State == TSimState::Hanging;
            Service.Behaviour->IsMonitor = Name == std::string("VXMonSvc");
            Service.Daemon = StartThread<suitesim::TSimDaemon>(Service.Port, Service.Behaviour);
        }
        if (State == TSimState::Working || State == TSimState::Corrupted) {
            Probe.AddTest(Service.Port, Name, "");
            Expected.push_back(State);
        } else if (State == TSimState::Hanging) {
            Hanging.push_back(Service.Port);
        }
        FServices.emplace_back(Name, std::move(Service));
    }
    // The daemons bind on their own threads.
    const bool Ready = WaitUntil([&] {
        Probe.TestAll();
        for (int I = 0; I < Probe.TestCount(); ++I) {
            const auto Status = Expected[static_cast<std::size_t>(I)] == TSimState::Working
                                    ? health::tsWorking
                                    : health::tsCorrupted;
            if (Probe.Tests(I).Status != Status) {
                return false;
            }
        }
        for (const int Port : Hanging) {
            if (!Accepts(Port)) {
                return false;
            }
        }
        return true;
    });
    if (!Ready) {
        throw std::runtime_error("the simulated services did not come up");
    }
}

TSimulatedSuite::~TSimulatedSuite() {
    ReleaseHung();
}

int TSimulatedSuite::MonitorPort() const {
    for (const auto& [Name, Service] : FServices) {
        if (Name == "VXMonSvc") {
            return Service.Port;
        }
    }
    return 0;
}

void TSimulatedSuite::ReleaseHung() {
    for (auto& Entry : FServices) {
        if (Entry.second.Behaviour) {
            Entry.second.Behaviour->ReleaseHung = true;
        }
    }
}

TTrayOptions TSimulatedSuite::Options(const std::string& InstallFolder,
                                      std::chrono::milliseconds CycleWait) const {
    TTrayOptions Options;
    Options.DecisionPort = vx::test::FreeLoopbackPort();
    Options.VerdictPort = MonitorPort();
    // In the suite's order; the tray is the window's own decision service.
    std::vector<std::pair<int, std::string>> Tests;
    for (const auto& Service : health::SuiteServices) {
        int Port = Options.DecisionPort;
        for (const auto& [Name, Simulated] : FServices) {
            if (Name == Service.ServiceName) {
                Port = Simulated.Port;
            }
        }
        Tests.emplace_back(Port, Service.ServiceName);
    }
    Options.MakeLoader = [Tests, InstallFolder, CycleWait] {
        TLoaderSetup Setup;
        Setup.Tester = std::make_unique<health::TWebThreadTester>();
        for (std::size_t I = 0; I < Tests.size(); ++I) {
            Setup.Tester->AddTest(Tests[I].first, Tests[I].second,
                                  health::SuiteServices[I].DisplayName);
        }
        Setup.InstallFolder = InstallFolder;
        Setup.CycleWait = CycleWait;
        return std::make_unique<TWelcomeInfoLoaderThread>(std::move(Setup));
    };
    return Options;
}

void TRecordingTrayWindow::ShowWelcomeInfo(std::uint8_t Kind, bool Available,
                                           const std::string& Text) {
    TFormPlimmTrayStatus::ShowWelcomeInfo(Kind, Available, Text);
    FReports.push_back("info " + std::to_string(Kind) + " " + (Available ? "1" : "0") + " " + Text);
}

void TRecordingTrayWindow::ShowServiceStatus(std::uint8_t Index, std::uint8_t Status) {
    TFormPlimmTrayStatus::ShowServiceStatus(Index, Status);
    FReports.push_back("status " + std::to_string(Index) + " " + std::to_string(Status));
}

} // namespace vx::app::test
