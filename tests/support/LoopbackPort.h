#pragma once

#include <chrono>
#include <functional>
#include <netinet/in.h>

namespace vx::test {

// The address of `port` on 127.0.0.1.
sockaddr_in LoopbackAddress(int port);

// A TCP socket bound to a free loopback port, not yet listening; `port` receives the port.
// Raises vx::Exception when no port can be had.
int BindLoopback(int& port);

// A loopback TCP port that nothing listens on at the moment of the call (bound once to find
// it, then released).
int FreeLoopbackPort();

// True when something accepts connections on the loopback port.
bool LoopbackListening(int port);
// True when this process could listen on the loopback port itself (SO_REUSEADDR, as servers
// bind): the port is free again.
bool LoopbackBindable(int port);

// Checks `done` every 50 ms until it holds; false once `timeout` has passed. For waits on
// other processes, where nothing needs pumping.
bool PollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

} // namespace vx::test
