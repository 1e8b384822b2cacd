#include "FailureDescription.h"

#include <cstdio>

namespace tavlen {

std::string describeFailure(std::exception_ptr failure)
{
    if (!failure) {
        return {};
    }
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "unknown failure";
    }
}

void logFailureCause(std::string_view context, std::exception_ptr failure)
{
    const std::string cause = describeFailure(std::move(failure));
    std::fprintf(stderr,
                 "%.*s: %.*s\n",
                 static_cast<int>(context.size()),
                 context.data(),
                 static_cast<int>(cause.size()),
                 cause.data());
}

} // namespace tavlen
