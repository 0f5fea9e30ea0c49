// One offscreen QApplication for the tray window's tests, with the application title and icon
// that start-up sets before the window exists.
#include "product/ProductIcon.h"
#include "support/QtTestEnvironment.h"

namespace {

void PrepareAsStartUpDoes() {
    vx::product::ApplyProductIdentity();
    QApplication::setQuitOnLastWindowClosed(false);
}

[[maybe_unused]] ::testing::Environment* const Registered = ::testing::AddGlobalTestEnvironment(
    new vx::test::TQtTestEnvironment("tray-tests", PrepareAsStartUpDoes));

} // namespace
