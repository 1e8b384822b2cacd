#pragma once

#include "BrowserRect.h"
#include "StepsCapturePhase.h"
#include "StepsRegionOverlay.h"
#include "Uuid.h"

#include <QString>

#include <optional>
#include <string>
#include <vector>

namespace tavlen {
class StepsDraft;
class StepsOpenPageSettings;
} // namespace tavlen

namespace tavlen::ui {

// The Open page card's status line: the capture's phase while one runs; otherwise nothing while this monitor's
// steps run, "Steps are executing." while anything else runs, else why a capture cannot start, if it cannot.
std::optional<QString> openPageStatusText(std::optional<StepsCapturePhase> phase,
                                          bool isRunningSteps,
                                          bool isBusy,
                                          const std::optional<std::string>& captureUnavailableReason);

// "1280 × 5400": the screenshot's pixel width and height.
QString screenshotSizeText(std::uint32_t width, std::uint32_t height);

// One overlay for each Read step of the Open page step that has a region, in workflow order, numbered by its
// position in the workflow.
std::vector<StepsRegionOverlay> openPageRegionOverlays(const StepsDraft& draft, const Uuid& openPageID);

// The draft's selected step when it reads from this Open page step (with or without a region).
std::optional<Uuid> selectedReadStepID(const StepsDraft& draft, const Uuid& openPageID);

// A press on a region selects its step; a press elsewhere clears the selection. Either way the pending area goes.
void selectStepsRegion(StepsDraft& draft, StepsOpenPageSettings& settings, const std::optional<Uuid>& regionID);

// The end of a region drag: a new area (no id) becomes the pending selection and clears the selected step; a
// moved or resized region is stored on its step (an edit only when it changed) and that id is selected. Ignored
// while the steps run.
void commitStepsRegion(StepsDraft& draft,
                       StepsOpenPageSettings& settings,
                       bool isRunningSteps,
                       const std::optional<Uuid>& regionID,
                       const BrowserRect& rect);

// Appends a Read step for the rectangle with the model, and clears the pending area when it did. The new step's
// id, or none when the draft refused it (the pending area then stays).
std::optional<Uuid> appendStepsReadStep(StepsDraft& draft,
                                        StepsOpenPageSettings& settings,
                                        const Uuid& openPageID,
                                        const std::optional<Uuid>& modelID,
                                        const BrowserRect& rect);

} // namespace tavlen::ui
