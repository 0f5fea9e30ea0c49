#pragma once

namespace vx::test {

// A loopback TCP port that nothing listens on at the moment of the call.
int FreeLoopbackPort();

} // namespace vx::test
