#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QApplication>
#include <gtest/gtest.h>

namespace vx::test {

// One QApplication for a whole test executable, offscreen unless the caller chose a platform
// (CTest sets QT_QPA_PLATFORM). `prepare` runs once the application exists, for what start-up
// would set before the first window (title, icon).
class TQtTestEnvironment : public ::testing::Environment {
public:
    explicit TQtTestEnvironment(std::string name, std::function<void()> prepare = {});

    void SetUp() override;
    void TearDown() override;

private:
    std::string FName;
    std::function<void()> FPrepare;
    int FArgc = 1;
    char* FArgv[2] = {nullptr, nullptr};
    std::unique_ptr<QApplication> FApplication;
};

} // namespace vx::test
