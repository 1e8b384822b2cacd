#pragma once

#include "Uuid.h"

#include <QPointF>
#include <QRectF>

#include <compare>
#include <cstdint>
#include <map>
#include <optional>

namespace tavlen {
class StepsDraft;
}

namespace tavlen::ui {

// What a measured rectangle of the diagram belongs to: a step's whole card or its header row.
struct StepsAnchor
{
    enum class Kind
    {
        card,
        header,
    };

    Kind kind = Kind::card;
    Uuid stepID;

    static StepsAnchor card(const Uuid& stepID) { return {Kind::card, stepID}; }

    static StepsAnchor header(const Uuid& stepID) { return {Kind::header, stepID}; }

    friend auto operator<=>(const StepsAnchor&, const StepsAnchor&) = default;
};

// Rectangles of cards and headers in the diagram's column coordinates: the padded column, origin at the top-left
// corner of the scroll content, so they do not change while scrolling.
using StepsAnchors = std::map<StepsAnchor, QRectF>;
using StepsHeaderFrames = std::map<Uuid, QRectF>;

// Every header frame the anchors hold, by step id.
StepsHeaderFrames stepsHeaderFrames(const StepsAnchors& anchors);

// The measured header frames that drag handling reads; replaced whole when the layout changes. Not observed: a
// new measurement re-evaluates nothing.
struct StepsDragGeometry
{
    StepsHeaderFrames headerFrames;
};

// The diagram's drag state: the dragged step and where it would land (0 before the first step, the step count
// after the last); both none outside a drag, the boundary also while the pointer is outside the valid area.
struct StepsDragState
{
    std::optional<Uuid> draggingID;
    std::optional<std::int64_t> dropBoundary;

    friend bool operator==(const StepsDragState&, const StepsDragState&) = default;
};

// Where the dragged step would land for a pointer at the location: before the first step (in draft order) whose
// header's vertical middle lies below the pointer (a pointer on the middle counts as below it), else after the
// last. None when the pointer is left of the column, right of the widest header, or the draft refuses the order.
std::optional<std::int64_t> stepsDropBoundary(const StepsDraft& draft,
                                              const Uuid& draggedID,
                                              QPointF location,
                                              const StepsHeaderFrames& headerFrames);

// A change of the drag: the dragged step and its boundary for the pointer.
void updateStepsDrag(StepsDragState& drag,
                     const StepsDraft& draft,
                     const Uuid& draggedID,
                     QPointF location,
                     const StepsHeaderFrames& headerFrames);

// The end of a drag: moves the step to the boundary when moving is allowed (its steps are not running) and a
// boundary is set, then clears the drag state in every case. True when the order changed.
bool commitStepsDrop(StepsDragState& drag, StepsDraft& draft, const Uuid& draggedID, bool mayMove);

} // namespace tavlen::ui
