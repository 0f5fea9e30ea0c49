// One offscreen QApplication for the toolkit's tests.
#include "support/QtTestEnvironment.h"

namespace {

[[maybe_unused]] ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new vx::test::TQtTestEnvironment("taskdialog-tests"));

} // namespace
