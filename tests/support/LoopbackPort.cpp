#include "LoopbackPort.h"

#include "platform/Exception.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vx::test {

int FreeLoopbackPort() {
    const int handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    const bool found = handle >= 0 &&
                       ::bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       ::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    if (handle >= 0) {
        ::close(handle);
    }
    if (!found) {
        throw Exception("no free loopback port");
    }
    return ntohs(address.sin_port);
}

} // namespace vx::test
