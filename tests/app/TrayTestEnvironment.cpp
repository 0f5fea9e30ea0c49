// One QApplication for the tray window's tests, offscreen (CTest sets QT_QPA_PLATFORM), with
// the application title and icon that start-up sets before the window exists.
#include "decisions/dialogs/KorvexIcon.h"

#include <memory>

#include <QApplication>
#include <gtest/gtest.h>

namespace {

constexpr const char* ApplicationTitle = "Korvex - Thornet 2 Tray";

class TTrayEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        FApplication = std::make_unique<QApplication>(FArgc, FArgv);
        QApplication::setApplicationDisplayName(QString::fromLatin1(ApplicationTitle));
        QApplication::setWindowIcon(vx::dialogs::KorvexMainIcon());
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void TearDown() override { FApplication.reset(); }

private:
    int FArgc = 1;
    char FName[16] = "tray-tests";
    char* FArgv[2] = {FName, nullptr};
    std::unique_ptr<QApplication> FApplication;
};

[[maybe_unused]] ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new TTrayEnvironment);

} // namespace
