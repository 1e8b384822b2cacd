#pragma once

#include "MonitorCheckFailure.h"

#include <exception>

namespace tavlen {

// The stored failure of an execution that was cancelled: "cancelled", "Execution cancelled.".
MonitorCheckFailure cancelledFailure();

// The stored failure of a step that threw: the cancelled failure for CancelledError, a provider's own code,
// "execution_failed" for every other error (also a bridge failure that carries a code), with the error's
// sentence. Both cut to their stored limits.
MonitorCheckFailure checkFailureOf(const std::exception_ptr& error);

} // namespace tavlen
