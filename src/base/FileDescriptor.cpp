#include "FileDescriptor.h"

#include <unistd.h>

#include <utility>

namespace tavlen {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept
{
    if (this != &other) {
        reset(other.release());
    }
    return *this;
}

int FileDescriptor::release() noexcept
{
    return std::exchange(m_fd, -1);
}

void FileDescriptor::reset(int fd) noexcept
{
    // Linux frees the number even when close reports EINTR, so it is never retried.
    if (const int old = std::exchange(m_fd, fd); old >= 0 && old != fd) {
        ::close(old);
    }
}

} // namespace tavlen
