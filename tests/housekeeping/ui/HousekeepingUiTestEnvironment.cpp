// One offscreen QApplication for the tests of the cleaner's popup.
#include "support/QtTestEnvironment.h"

namespace {

[[maybe_unused]] ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new vx::test::TQtTestEnvironment("housekeeping-ui-tests"));

} // namespace
