// One offscreen QApplication for the product dialogs' tests.
#include "support/QtTestEnvironment.h"

namespace {

[[maybe_unused]] ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new vx::test::TQtTestEnvironment("dialog-tests"));

} // namespace
