// One QApplication for a whole test executable, offscreen (CTest sets QT_QPA_PLATFORM).
#include <memory>

#include <QApplication>
#include <gtest/gtest.h>

namespace {

class TQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        FApplication = std::make_unique<QApplication>(FArgc, FArgv);
    }
    void TearDown() override { FApplication.reset(); }

private:
    int FArgc = 1;
    char FName[16] = "dialog-tests";
    char* FArgv[2] = {FName, nullptr};
    std::unique_ptr<QApplication> FApplication;
};

[[maybe_unused]] ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new TQtEnvironment);

} // namespace
