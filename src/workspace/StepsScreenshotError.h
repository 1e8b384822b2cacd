#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tavlen {

// A captured image that cannot be used as a screenshot. Its sentence is what the user sees; the execution
// reports it as a failed reading.
class StepsScreenshotError : public std::runtime_error
{
public:
    explicit StepsScreenshotError(std::string_view message)
        : std::runtime_error(std::string(message))
    {}

    std::string message() const { return what(); }
};

} // namespace tavlen
