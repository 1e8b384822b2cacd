#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace tavlen {

// The cause of a failure as a log line names it: what() of a standard exception, else "unknown failure".
// For the log only; never shown to the user. Empty for nullptr.
std::string describeFailure(std::exception_ptr failure);

// Writes "<context>: <cause>" to the standard error, where the application's log goes, for code below Qt's
// logging that maps a failure it does not know to one of its own: the cause would be lost otherwise.
void logFailureCause(std::string_view context, std::exception_ptr failure);

} // namespace tavlen
