#include "StepsOpenPageEditing.h"

#include "QtText.h"
#include "StepsDraft.h"
#include "StepsEditorText.h"
#include "StepsOpenPageSettings.h"

#include <algorithm>

namespace tavlen::ui {

std::optional<QString> openPageStatusText(std::optional<StepsCapturePhase> phase,
                                          bool isRunningSteps,
                                          bool isBusy,
                                          const std::optional<std::string>& captureUnavailableReason)
{
    if (phase) {
        return QString::fromUtf8(displayText(*phase).data(), qsizetype(displayText(*phase).size()));
    }
    if (isRunningSteps) {
        return std::nullopt;
    }
    if (isBusy) {
        return text::stepsAreExecuting();
    }
    if (captureUnavailableReason) {
        return toQString(*captureUnavailableReason);
    }
    return std::nullopt;
}

QString screenshotSizeText(std::uint32_t width, std::uint32_t height)
{
    return QString::number(width) + text::imageSizeSeparator() + QString::number(height);
}

std::vector<StepsRegionOverlay> openPageRegionOverlays(const StepsDraft& draft, const Uuid& openPageID)
{
    std::vector<StepsRegionOverlay> overlays;
    const auto& steps = draft.steps();
    for (const auto& step : draft.stepsWithSourceID(openPageID)) {
        if (!step->region()) {
            continue;
        }
        const auto position = std::find(steps.begin(), steps.end(), step);
        const int number = position == steps.end() ? 0 : int(position - steps.begin());
        overlays.push_back({step->id(), number, step->content().kind(), *step->region()});
    }
    return overlays;
}

std::optional<Uuid> selectedReadStepID(const StepsDraft& draft, const Uuid& openPageID)
{
    const auto& selected = draft.selectedID();
    if (!selected) {
        return std::nullopt;
    }
    for (const auto& step : draft.stepsWithSourceID(openPageID)) {
        if (step->id() == *selected) {
            return step->id();
        }
    }
    return std::nullopt;
}

void selectStepsRegion(StepsDraft& draft, StepsOpenPageSettings& settings, const std::optional<Uuid>& regionID)
{
    draft.setSelectedID(regionID);
    settings.setSelection(std::nullopt);
}

void commitStepsRegion(StepsDraft& draft,
                       StepsOpenPageSettings& settings,
                       bool isRunningSteps,
                       const std::optional<Uuid>& regionID,
                       const BrowserRect& rect)
{
    if (isRunningSteps) {
        return;
    }
    if (!regionID) {
        settings.setSelection(rect);
        draft.setSelectedID(std::nullopt);
        return;
    }
    if (const auto step = draft.step(*regionID)) {
        step->setRegion(rect);
    }
    draft.setSelectedID(regionID);
}

std::optional<Uuid> appendStepsReadStep(StepsDraft& draft,
                                        StepsOpenPageSettings& settings,
                                        const Uuid& openPageID,
                                        const std::optional<Uuid>& modelID,
                                        const BrowserRect& rect)
{
    const std::optional<Uuid> added = draft.addReadStep(openPageID, modelID, rect);
    if (added) {
        settings.setSelection(std::nullopt);
    }
    return added;
}

} // namespace tavlen::ui
