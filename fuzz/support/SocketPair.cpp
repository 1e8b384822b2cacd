#include "SocketPair.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>

namespace tavlen::fuzz {

SocketPair::SocketPair()
{
    int fds[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        std::abort();
    }
    near = FileDescriptor(fds[0]);
    far = FileDescriptor(fds[1]);
}

void writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return; // the reader has gone
        }
    }
}

} // namespace tavlen::fuzz
