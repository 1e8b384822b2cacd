#pragma once

#include "StepsWorkflow.h"

#include <cstdint>

namespace tavlen {

// A monitor's saved workflow with its stored version (at least 1, raised by every save that changes it).
struct SavedSteps
{
    std::int64_t version = 1;
    StepsWorkflow workflow;

    friend bool operator==(const SavedSteps&, const SavedSteps&) = default;
};

} // namespace tavlen
