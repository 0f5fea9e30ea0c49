// The tray window's tests on a real X desktop: a private X server with a window manager and
// an XEmbed system tray first, then the one QApplication on it, set up as start-up does.
// Without Xvfb and its companions the application runs offscreen and the tests skip.
#include "product/ProductIcon.h"
#include "support/QtTestEnvironment.h"
#include "support/X11Session.h"

#include <cstdlib>

namespace {

class TX11Environment : public ::testing::Environment {
public:
    void SetUp() override {
        vx::test::TX11Session& session = vx::test::TX11Session::Shared();
        if (session.Start()) {
            ::setenv("DISPLAY", session.Display().c_str(), 1);
            qputenv("QT_QPA_PLATFORM", "xcb");
        } else {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
    }
};

void PrepareAsStartUpDoes() {
    vx::product::ApplyProductIdentity();
    QApplication::setQuitOnLastWindowClosed(false);
}

// In this order: the desktop, then the application on it.
[[maybe_unused]] ::testing::Environment* const Desktop =
    ::testing::AddGlobalTestEnvironment(new TX11Environment);
[[maybe_unused]] ::testing::Environment* const Application = ::testing::AddGlobalTestEnvironment(
    new vx::test::TQtTestEnvironment("tray-x11-tests", PrepareAsStartUpDoes));

} // namespace
