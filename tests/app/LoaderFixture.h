#pragma once

#include "app/WelcomeInfoLoaderThread.h"
#include "platform/NamedEvent.h"
#include "platform/WorkerThread.h"
#include "suite-sim/SimServices.h"
#include "support/TempPrefix.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace vx::app::test {

// Records the loader's reports as lines ("info 0 1 2.7.1031.40961", "status 3 2") and the
// threads they ran on. `OnReport`, when set, runs after each report is recorded, with the
// number of reports so far.
class TRecordingSink : public TWelcomeInfoSink {
public:
    void ShowWelcomeInfo(std::uint8_t kind, bool available, const std::string& text) override;
    void ShowServiceStatus(std::uint8_t index, std::uint8_t status) override;

    std::vector<std::string> Reports;
    std::vector<std::thread::id> Threads;
    std::function<void(std::size_t)> OnReport;

private:
    void Record(std::string line);
};

// Where the firewall probe of a run goes.
enum class TFirewall { Working, Corrupted, Down };

// A temporary machine with the suite's configuration and a registered browser helper, an
// installation folder holding a copy of the toolchain-built scanner library, the suite's five
// services (and a corrupted firewall) live on free loopback ports, and the test thread as the
// UI thread.
class LoaderTest : public ::testing::Test {
protected:
    static constexpr const char* HelperFile = "C:\\Suite\\krvxbho.dll";

    void SetUp() override;
    void TearDown() override;

    // The machine hive: `welcome` lines for the suite's Welcome section, `classValue` the
    // default-value line of the helper's InprocServer32 key (empty: no class key), and
    // whether the Browser Helper Objects key exists. Installs a new store on it.
    void Machine(const std::string& welcome, const std::string& classValue, bool helperObject,
                 const std::string& user = {});
    static std::string DefaultWelcome();
    static std::string DefaultClassValue();

    // A loader on the fixture's services that waits an hour between cycles unless woken.
    void StartLoader(TFirewall firewall = TFirewall::Working);
    // Pumps until `count` reports arrived; false at the deadline.
    bool WaitForReports(std::size_t count);
    bool WaitForEnd();
    // Starts a loader, waits for its first cycle and ends it: the cycle's reports.
    std::vector<std::string> OneCycle(TFirewall firewall = TFirewall::Working);
    // The eight reports of a cycle on this fixture's machine when every service works.
    std::vector<std::string> FullCycle() const;

    std::string InstallFolder() const { return (FPrefix.Dir() / "install").string() + "/"; }

    vx::test::TTempPrefix FPrefix;
    TRecordingSink FSink;
    std::shared_ptr<win::TEvent> FEvent;
    TThreadPtr<TWelcomeInfoLoaderThread> FLoader;

private:
    void StartServices();

    std::vector<int> FPorts; // in the order of health::SuiteServices
    int FCorruptFirewallPort = 0;
    std::vector<TThreadPtr<suitesim::TSimDaemon>> FServices;
};

} // namespace vx::app::test
