#pragma once

#include "ModelRegistry.h"
#include "Uuid.h"

#include <optional>

namespace tavlen {
class ModelSettings;
class Step;
} // namespace tavlen

namespace tavlen::ui {

// What a Read step's model is checked against: the configured models as they stand, if the model settings have
// been read without an error.
struct StepsConfiguredModels
{
    ModelRegistry registry;
    bool isLoading = false;
    bool hasError = false;
};

// The model settings' state, or none without model settings.
std::optional<StepsConfiguredModels> stepsConfiguredModels(const ModelSettings* settings);

// Whether a Read step's chosen model is gone from the configured models and must be cleared. Nothing is decided
// without settings, while they load or after a failed read.
bool stepModelIsStale(const std::optional<Uuid>& modelID, const std::optional<StepsConfiguredModels>& models);

// Clears the model of a Read step whose model is no longer configured; the setter reports the edit. True when it
// cleared it.
bool reconcileStepModel(Step& step, const std::optional<StepsConfiguredModels>& models);

// The default configured model for a new Read step, if there is one.
std::optional<Uuid> defaultStepModelID(const ModelSettings* settings);

} // namespace tavlen::ui
