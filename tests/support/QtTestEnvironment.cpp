#include "support/QtTestEnvironment.h"

#include <utility>

namespace vx::test {

TQtTestEnvironment::TQtTestEnvironment(std::string name, std::function<void()> prepare)
    : FName(std::move(name)), FPrepare(std::move(prepare)) {}

void TQtTestEnvironment::SetUp() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    FArgv[0] = FName.data();
    FApplication = std::make_unique<QApplication>(FArgc, FArgv);
    if (FPrepare) {
        FPrepare();
    }
}

void TQtTestEnvironment::TearDown() {
    FApplication.reset();
}

} // namespace vx::test
