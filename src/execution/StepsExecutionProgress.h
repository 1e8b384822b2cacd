#pragma once

#include <cstdint>

namespace tavlen {

// How far an execution has come, for the views.
struct StepsExecutionProgress
{
    std::int64_t currentStepNumber = 0; // one-based position of the running step
    std::int64_t totalSteps = 0;        // steps of the whole workflow, also in a step test that stops earlier
    std::int64_t completedSteps = 0;    // leading steps of the workflow that are finished

    friend bool operator==(const StepsExecutionProgress&, const StepsExecutionProgress&) = default;
};

} // namespace tavlen
