#pragma once

#include <stdexcept>
#include <string>

namespace tavlen {

// A system service refused a change; what() is the sentence shown after "Couldn’t enable …: ".
class SystemServiceError : public std::runtime_error
{
public:
    explicit SystemServiceError(const std::string& description)
        : std::runtime_error(description)
    {}
};

} // namespace tavlen
