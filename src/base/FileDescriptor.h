#pragma once

namespace tavlen {

// The one owner of an open file descriptor: closes it when destroyed or reset, unless it was released first.
// Move-only; -1 holds nothing.
class FileDescriptor
{
public:
    FileDescriptor() = default;

    explicit FileDescriptor(int fd) noexcept
        : m_fd(fd)
    {}

    ~FileDescriptor() { reset(); }

    FileDescriptor(FileDescriptor&& other) noexcept
        : m_fd(other.release())
    {}

    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }

    bool isOpen() const { return m_fd >= 0; }

    // Gives the descriptor up without closing it; the caller owns it now.
    int release() noexcept;

    // Closes the held descriptor (a failing close is not reported: the number is free either way) and holds fd.
    void reset(int fd = -1) noexcept;

private:
    int m_fd = -1;
};

} // namespace tavlen
