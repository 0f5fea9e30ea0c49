// One offscreen QApplication for the product identity's tests.
#include "support/QtTestEnvironment.h"

namespace {

[[maybe_unused]] ::testing::Environment* const Registered =
    ::testing::AddGlobalTestEnvironment(new vx::test::TQtTestEnvironment("product-tests"));

} // namespace
