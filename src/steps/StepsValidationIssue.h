#pragma once

#include "StepsField.h"

#include <string>

namespace tavlen {

// One finding of the input check: the input it concerns and the sentence shown next to it.
struct StepsValidationIssue
{
    StepsField field;
    std::string message;

    friend bool operator==(const StepsValidationIssue&, const StepsValidationIssue&) = default;
};

} // namespace tavlen
