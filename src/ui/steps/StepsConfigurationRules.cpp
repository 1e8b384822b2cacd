#include "StepsConfigurationRules.h"

#include "BrowserCaptureSettings.h"
#include "NumericInputParsers.h"
#include "QtText.h"
#include "StepsEditorText.h"
#include "StepsOpenPageSettings.h"

#include <algorithm>

namespace tavlen::ui {
namespace {

std::optional<std::int64_t> validDelay(std::string_view delayText)
{
    const std::optional<std::int64_t> delay = parseWholeNumber(delayText);
    return delay && *delay <= longestScreenshotDelay ? delay : std::nullopt;
}

} // namespace

bool isDelayValid(std::string_view delayText)
{
    return validDelay(delayText).has_value();
}

DelayHint delayHint(std::string_view delayText, bool showsValidation)
{
    if (isDelayValid(delayText)) {
        return DelayHint::explanation;
    }
    return showsValidation ? DelayHint::none : DelayHint::invalid;
}

std::int64_t steppedDelay(std::string_view delayText, int steps)
{
    const std::optional<std::int64_t> delay = validDelay(delayText);
    if (!delay) {
        return steps >= 0 ? 0 : longestScreenshotDelay;
    }
    return std::clamp<std::int64_t>(*delay + steps, 0, longestScreenshotDelay);
}

DelayStepping delayStepping(std::string_view delayText)
{
    const std::optional<std::int64_t> delay = validDelay(delayText);
    if (!delay) {
        return {true, true};
    }
    return {*delay<longestScreenshotDelay, *delay> 0};
}

bool hasViewportDimensionsIssue(const StepsOpenPageSettings& settings)
{
    const BrowserCaptureSettings viewport = settings.viewport();
    return !BrowserCaptureSettings::isValidSide(viewport.width) ||
           !BrowserCaptureSettings::isValidSide(viewport.height);
}

bool hasScaleFactorIssue(const StepsOpenPageSettings& settings)
{
    return !parsePositiveDecimal(settings.deviceScaleFactorText()).has_value();
}

QString modelPickerTooltip(const ModelRegistry* registry, const std::optional<Uuid>& modelID)
{
    if (registry && modelID) {
        if (const ConfiguredModel* model = registry->model(*modelID)) {
            return toQString(model->selection.displayName());
        }
    }
    return text::selectConfiguredModel();
}

} // namespace tavlen::ui
