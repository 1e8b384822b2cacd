#pragma once

#include "ModelSelection.h"
#include "SavedSteps.h"
#include "Uuid.h"

#include <optional>
#include <unordered_map>

namespace tavlen {

// What a scheduled run needs of a monitor: its saved workflow and, per Read step id, the model that reads it.
struct SavedExecution
{
    std::optional<SavedSteps> steps;                 // absent when the monitor has no saved workflow
    std::unordered_map<Uuid, ModelSelection> models; // one entry per Read entry of the saved document

    friend bool operator==(const SavedExecution&, const SavedExecution&) = default;
};

} // namespace tavlen
