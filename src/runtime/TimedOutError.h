#pragma once

#include <exception>

namespace tavlen {

// Thrown by withTimeout when its time limit passed before the work ended. Unlike CancelledError it is a failure:
// callers turn it into their own error, with the sentence the user sees.
struct TimedOutError : std::exception
{
    const char* what() const noexcept override { return "timed out"; }
};

} // namespace tavlen
