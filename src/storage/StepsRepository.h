#pragma once

#include "SavedExecution.h"
#include "SavedSteps.h"
#include "StepsWorkflow.h"
#include "Uuid.h"

#include <QCoroTask>

#include <cstdint>
#include <optional>
#include <stop_token>

namespace tavlen {

// Where each monitor's saved Steps workflow is kept. Every operation fails with a MonitorStoreError
// (missingMonitor when the monitor is gone); a stop request on the token ends it as interrupted.
class StepsRepository
{
public:
    virtual ~StepsRepository() = default;

    // The saved workflow, or nothing when the monitor has none yet.
    virtual QCoro::Task<std::optional<SavedSteps>> savedSteps(Uuid monitorID, std::stop_token token = {}) = 0;

    // The saved workflow with the model selection of each Read step, for a scheduled run.
    virtual QCoro::Task<SavedExecution> savedExecution(Uuid monitorID, std::stop_token token = {}) = 0;

    // Saves a workflow over the version the caller started from (absent: the monitor had none) and gives the
    // steps as stored: staleEdit for another version; an equal document writes nothing and keeps the version.
    virtual QCoro::Task<SavedSteps> saveSteps(Uuid monitorID,
                                              std::optional<std::int64_t> expectedVersion,
                                              StepsWorkflow workflow,
                                              std::stop_token token = {}) = 0;
};

} // namespace tavlen
