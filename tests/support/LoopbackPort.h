#pragma once

namespace vx::test {

// A TCP socket bound to a free loopback port, not yet listening; `port` receives the port.
// Raises vx::Exception when no port can be had.
int BindLoopback(int& port);

// A loopback TCP port that nothing listens on at the moment of the call (bound once to find
// it, then released).
int FreeLoopbackPort();

} // namespace vx::test
