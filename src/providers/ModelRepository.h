#pragma once

#include "ModelRegistry.h"
#include "ModelSelection.h"
#include "Uuid.h"

#include <QCoroTask>

#include <stop_token>

namespace tavlen {

// Where the configured models and the default model are kept. Every operation gives the whole registry as read
// again after it, and fails with a MonitorStoreError (a failed change changes nothing); a stop request on the token
// ends it as interrupted.
class ModelRepository
{
public:
    virtual ~ModelRepository() = default;

    virtual QCoro::Task<ModelRegistry> registry(std::stop_token token = {}) = 0;
    // Adds a model; the first one becomes the default. validation "This model is already configured." for a
    // selection equal to a configured one.
    virtual QCoro::Task<ModelRegistry> add(ModelSelection selection, std::stop_token token = {}) = 0;
    // Makes a configured model the default.
    virtual QCoro::Task<ModelRegistry> setDefault(Uuid modelID, std::stop_token token = {}) = 0;
    // Removes a model that no saved Read step uses and that is not the default while others remain.
    virtual QCoro::Task<ModelRegistry> remove(Uuid modelID, std::stop_token token = {}) = 0;
};

} // namespace tavlen
