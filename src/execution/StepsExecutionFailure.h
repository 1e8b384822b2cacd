#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tavlen {

// A step whose own settings keep it from running (no URL, no source screenshot, ...). what() is the sentence.
class StepsExecutionFailure : public std::runtime_error
{
public:
    explicit StepsExecutionFailure(std::string_view message)
        : std::runtime_error(std::string(message))
    {}

    std::string message() const { return what(); }
};

} // namespace tavlen
