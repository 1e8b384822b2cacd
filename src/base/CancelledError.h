#pragma once

#include <exception>

namespace tavlen {

// Thrown by a wait that was woken by a stop request. Cancellation is not a failure: callers let it end
// the task quietly and never show it to the user.
struct CancelledError : std::exception
{
    const char* what() const noexcept override { return "cancelled"; }
};

} // namespace tavlen
