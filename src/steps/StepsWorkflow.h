#pragma once

#include "StepsDocument.h"

namespace tavlen {

// A saved workflow as the editing state and the repository pass it around.
struct StepsWorkflow
{
    StepsDocument document;

    friend bool operator==(const StepsWorkflow&, const StepsWorkflow&) = default;
};

} // namespace tavlen
