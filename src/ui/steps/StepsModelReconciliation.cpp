#include "StepsModelReconciliation.h"

#include "ModelSettings.h"
#include "Step.h"

#include <algorithm>

namespace tavlen::ui {

std::optional<StepsConfiguredModels> stepsConfiguredModels(const ModelSettings* settings)
{
    if (!settings) {
        return std::nullopt;
    }
    return StepsConfiguredModels{settings->registry(), settings->isLoading(), settings->error().has_value()};
}

bool stepModelIsStale(const std::optional<Uuid>& modelID, const std::optional<StepsConfiguredModels>& models)
{
    if (!models || models->isLoading || models->hasError || !modelID) {
        return false;
    }
    return models->registry.model(*modelID) == nullptr;
}

bool reconcileStepModel(Step& step, const std::optional<StepsConfiguredModels>& models)
{
    StepsReadSettings* settings = step.content().readSettings();
    if (!settings || !stepModelIsStale(settings->modelID(), models)) {
        return false;
    }
    settings->setModelID(std::nullopt);
    return true;
}

std::optional<Uuid> defaultStepModelID(const ModelSettings* settings)
{
    const ConfiguredModel* model = settings ? settings->registry().defaultModel() : nullptr;
    return model ? std::optional<Uuid>(model->id) : std::nullopt;
}

} // namespace tavlen::ui
