#pragma once

#include "Uuid.h"

namespace tavlen::ui {

// A zoom command of the screenshot's host. The view applies each id once, so a host re-sending the same request
// changes nothing and asks for a new zoom by giving a new id.
struct StepsZoomRequest
{
    enum class Action
    {
        fit,
        actual,
        zoomIn,
        zoomOut,
    };

    Uuid id;
    Action action = Action::fit;

    friend bool operator==(const StepsZoomRequest&, const StepsZoomRequest&) = default;
};

} // namespace tavlen::ui
