// One offscreen QApplication for the tests of languages applied to windows.
#include "support/QtTestEnvironment.h"

namespace {

[[maybe_unused]] ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new vx::test::TQtTestEnvironment("i18n-ui-tests"));

} // namespace
