#pragma once

#include "FileDescriptor.h"

#include <string_view>

namespace tavlen::fuzz {

// A connected pair of Unix stream sockets.
struct SocketPair
{
    SocketPair();

    FileDescriptor near;
    FileDescriptor far;
};

// Writes every byte to fd (blocking).
void writeAll(int fd, std::string_view bytes);

} // namespace tavlen::fuzz
