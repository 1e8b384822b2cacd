#pragma once

#include <exception>
#include <string>

namespace tavlen {

// The cause of a failure as a log line names it: what() of a standard exception, else "unknown failure".
// For the log only; never shown to the user. Empty for nullptr.
std::string describeFailure(std::exception_ptr failure);

} // namespace tavlen
