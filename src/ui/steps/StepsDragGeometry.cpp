#include "StepsDragGeometry.h"

#include "StepsDraft.h"

#include <algorithm>

namespace tavlen::ui {

StepsHeaderFrames stepsHeaderFrames(const StepsAnchors& anchors)
{
    StepsHeaderFrames frames;
    for (const auto& [anchor, rect] : anchors) {
        if (anchor.kind == StepsAnchor::Kind::header) {
            frames[anchor.stepID] = rect;
        }
    }
    return frames;
}

std::optional<std::int64_t> stepsDropBoundary(const StepsDraft& draft,
                                              const Uuid& draggedID,
                                              QPointF location,
                                              const StepsHeaderFrames& headerFrames)
{
    const auto& steps = draft.steps();
    auto boundary = std::int64_t(steps.size());
    for (std::size_t index = 0; index < steps.size(); ++index) {
        const auto frame = headerFrames.find(steps[index]->id());
        if (frame != headerFrames.end() && location.y() < frame->second.center().y()) {
            boundary = std::int64_t(index);
            break;
        }
    }
    double maxX = 0;
    for (const auto& [id, frame] : headerFrames) {
        maxX = std::max(maxX, frame.right());
    }
    if (location.x() < 0 || location.x() > maxX || !draft.reorderedSteps(draggedID, boundary)) {
        return std::nullopt;
    }
    return boundary;
}

void updateStepsDrag(StepsDragState& drag,
                     const StepsDraft& draft,
                     const Uuid& draggedID,
                     QPointF location,
                     const StepsHeaderFrames& headerFrames)
{
    drag.draggingID = draggedID;
    drag.dropBoundary = stepsDropBoundary(draft, draggedID, location, headerFrames);
}

bool commitStepsDrop(StepsDragState& drag, StepsDraft& draft, const Uuid& draggedID, bool mayMove)
{
    bool moved = false;
    if (mayMove && drag.dropBoundary) {
        moved = draft.moveStep(draggedID, *drag.dropBoundary);
    }
    drag.draggingID.reset();
    drag.dropBoundary.reset();
    return moved;
}

} // namespace tavlen::ui
