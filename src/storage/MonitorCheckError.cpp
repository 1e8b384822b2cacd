#include "MonitorCheckError.h"

namespace tavlen {

namespace {

const std::string& missingCheckDescription()
{
    static const std::string description = "This check no longer exists.";
    return description;
}

} // namespace

const std::string& MonitorCheckError::errorDescription() const
{
    return missingCheckDescription();
}

const char* MonitorCheckError::what() const noexcept
{
    return errorDescription().c_str();
}

} // namespace tavlen
