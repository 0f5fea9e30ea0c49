// The real suite-sim and vxhealth binaries on the suite's fixed ports.
#include "support/ChildProcess.h"

#include <csignal>
#include <filesystem>
#include <stdlib.h>

#include <gtest/gtest.h>

namespace vx::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path BinDir = VX_BIN_DIR;

class SuiteHealth : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vx-e2e-XXXXXX").string();
        FDir = ::mkdtemp(pattern.data());
        fs::copy(BinDir / "prefix", FDir / "prefix", fs::copy_options::recursive);
        FEnvironment = {{"VXTRAY_PREFIX", (FDir / "prefix").string()}};
    }
    void TearDown() override { fs::remove_all(FDir); }

    std::unique_ptr<TChildProcess> StartSuite(const std::vector<std::string>& args = {}) {
        auto suite = std::make_unique<TChildProcess>(BinDir / "suite-sim", args, FEnvironment);
        EXPECT_TRUE(suite->WaitForLine("listening on 127.0.0.1:21325", 10s)) << suite->Output();
        return suite;
    }

    std::pair<int, std::string> Health() {
        return TChildProcess::Run(BinDir / "vxhealth", {}, FEnvironment);
    }

    fs::path FDir;
    TChildProcess::TEnvironment FEnvironment;
};

TEST_F(SuiteHealth, TheSuiteWorksAndTheMissingTrayFailsTheCheck) {
    auto suite = StartSuite();
    const auto [code, output] = Health();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(output, "Updater: working\n"
                      "Firewall: working\n"
                      "Scanner: working\n"
                      "Tray: unavailable\n"
                      "Monitor: working\n"
                      "Tray: Could not connect to server!\n");
    suite->Signal(SIGTERM);
    EXPECT_EQ(suite->Wait(10s), 0);
    EXPECT_NE(suite->Output().find("stopping"), std::string::npos);
}

TEST_F(SuiteHealth, ACorruptServiceIsNamed) {
    auto suite = StartSuite({"--corrupt", "scanner"});
    const auto [code, output] = Health();
    EXPECT_EQ(code, 1);
    EXPECT_NE(output.find("Scanner: corrupted\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Scanner: integrity check shows possible corruption"), std::string::npos)
        << output;
}

TEST_F(SuiteHealth, ASecondSuiteFindsItsPortsTaken) {
    auto suite = StartSuite();
    const auto [code, output] = TChildProcess::Run(BinDir / "suite-sim", {}, FEnvironment);
    EXPECT_EQ(code, 1);
    EXPECT_NE(output.find("is in use"), std::string::npos) << output;
}

} // namespace
} // namespace vx::test
