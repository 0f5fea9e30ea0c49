#include "support/LoopbackPort.h"

#include "platform/Exception.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vx::test {

int BindLoopback(int& port) {
    const int handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (handle < 0) {
        throw Exception("no socket for a loopback port");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(handle);
        throw Exception("no free loopback port");
    }
    port = ntohs(address.sin_port);
    return handle;
}

int FreeLoopbackPort() {
    int port = 0;
    ::close(BindLoopback(port));
    return port;
}

} // namespace vx::test
