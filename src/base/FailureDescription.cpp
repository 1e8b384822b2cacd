#include "FailureDescription.h"

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

} // namespace tavlen
