#include "TrayHarness.h"

#include "config/ConfigManager.h"
#include "decisions/DialogTexts.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "health/HttpClient.h"
#include "health/ServiceTester.h"
#include "health/SuiteServices.h"
#include "httpservice/MachineKey.h"
#include "i18n/AppTranslator.h"
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
bool Accepts(int port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket < 0) {
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected =
        ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(socket);
    return connected;
}

} // namespace

bool WaitUntil(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, DeadlineMilliseconds);
}

bool WaitUntilServing(int port, const std::string& serviceName) {
    health::TWebThreadTester probe;
    probe.AddTest(port, serviceName, "");
    return WaitUntil([&] {
        probe.TestAll();
        return probe.Tests(0).Status == health::tsWorking;
    });
}

TTrayServices::TTrayServices(const fs::path& defaultPrefix, const std::string& scannerLibrary)
    : FPrefix(defaultPrefix) {
    FPrefix.Install();
    httpservice::InitMachineKey();
    config::CreateConfigManager(DefaultTitle);
    config::ConfigManager().SetProductName(ProductName);
    i18n::CreateAppTranslator();
    health::InitializeHttpClient();
    decisions::RegisterDialogTexts();
    fs::create_directory(FPrefix.Dir() / InstallFolderName);
    fs::copy_file(scannerLibrary, InstallFolder() + ScannerLibraryName);
    FUiThread = std::make_unique<TQtUiThread>();
}

TTrayServices::~TTrayServices() {
    FUiThread.reset();
    decisions::FreeDialogTexts();
    i18n::FreeAppTranslator();
    config::FreeConfigManager();
    httpservice::ClearMachineKey();
}

std::string TTrayServices::InstallFolder() const {
    return (FPrefix.Dir() / InstallFolderName).string() + "/";
}

void TTrayServices::ReloadMachine() {
    FPrefix.Install();
}

TSimulatedSuite::TSimulatedSuite(const TStates& states) {
    const std::pair<const char*, TSimState> wanted[] = {
        {"VXUpdSvc", states.Updater},
        {"VXFWSvc", states.Firewall},
        {"VXFSSvc", states.Scanner},
        {"VXMonSvc", states.Monitor},
    };
    health::TWebThreadTester probe;
    std::vector<TSimState> expected;
    std::vector<int> hanging;
    for (const auto& [name, state] : wanted) {
        TService service;
        service.Port = vx::test::FreeLoopbackPort();
        if (state != TSimState::Down) {
            service.Behaviour = std::make_shared<suitesim::TSimBehaviour>();
            service.Behaviour->ServiceName = name;
            service.Behaviour->Corrupt = state == TSimState::Corrupted;
            service.Behaviour->Hang = state == TSimState::Hanging;
            service.Behaviour->IsMonitor = name == std::string("VXMonSvc");
            service.Daemon = StartThread<suitesim::TSimDaemon>(service.Port, service.Behaviour);
        }
        if (state == TSimState::Working || state == TSimState::Corrupted) {
            probe.AddTest(service.Port, name, "");
            expected.push_back(state);
        } else if (state == TSimState::Hanging) {
            hanging.push_back(service.Port);
        }
        FServices.emplace_back(name, std::move(service));
    }
    // The daemons bind on their own threads.
    const bool ready = WaitUntil([&] {
        probe.TestAll();
        for (int i = 0; i < probe.TestCount(); ++i) {
            const auto status = expected[static_cast<std::size_t>(i)] == TSimState::Working
                                    ? health::tsWorking
                                    : health::tsCorrupted;
            if (probe.Tests(i).Status != status) {
                return false;
            }
        }
        for (const int port : hanging) {
            if (!Accepts(port)) {
                return false;
            }
        }
        return true;
    });
    if (!ready) {
        throw std::runtime_error("the simulated services did not come up");
    }
}

TSimulatedSuite::~TSimulatedSuite() {
    ReleaseHung();
}

int TSimulatedSuite::MonitorPort() const {
    for (const auto& [name, service] : FServices) {
        if (name == "VXMonSvc") {
            return service.Port;
        }
    }
    return 0;
}

void TSimulatedSuite::ReleaseHung() {
    for (auto& entry : FServices) {
        if (entry.second.Behaviour) {
            entry.second.Behaviour->ReleaseHung = true;
        }
    }
}

TTrayOptions TSimulatedSuite::Options(const std::string& installFolder,
                                      std::chrono::milliseconds cycleWait) const {
    TTrayOptions options;
    options.DecisionPort = vx::test::FreeLoopbackPort();
    options.VerdictPort = MonitorPort();
    // In the suite's order; the tray is the window's own decision service.
    std::vector<std::pair<int, std::string>> tests;
    for (const auto& service : health::SuiteServices) {
        int port = options.DecisionPort;
        for (const auto& [Name, Simulated] : FServices) {
            if (Name == service.ServiceName) {
                port = Simulated.Port;
            }
        }
        tests.emplace_back(port, service.ServiceName);
    }
    options.MakeLoader = [tests, installFolder, cycleWait] {
        TLoaderSetup setup;
        setup.Tester = std::make_unique<health::TWebThreadTester>();
        for (std::size_t i = 0; i < tests.size(); ++i) {
            setup.Tester->AddTest(tests[i].first, tests[i].second,
                                  health::SuiteServices[i].DisplayName);
        }
        setup.InstallFolder = installFolder;
        setup.CycleWait = cycleWait;
        return std::make_unique<TWelcomeInfoLoaderThread>(std::move(setup));
    };
    return options;
}

void TRecordingTrayWindow::ShowWelcomeInfo(std::uint8_t kind, bool available,
                                           const std::string& text) {
    TFormPlimmTrayStatus::ShowWelcomeInfo(kind, available, text);
    FReports.push_back("info " + std::to_string(kind) + " " + (available ? "1" : "0") + " " + text);
}

void TRecordingTrayWindow::ShowServiceStatus(std::uint8_t index, std::uint8_t status) {
    TFormPlimmTrayStatus::ShowServiceStatus(index, status);
    FReports.push_back("status " + std::to_string(index) + " " + std::to_string(status));
}

} // namespace vx::app::test
