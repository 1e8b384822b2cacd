#pragma once

#include "MonitorDetailTab.h"
#include "Uuid.h"

namespace tavlen {

// A request to select a monitor and bring one of its detail tabs to the front. Every request has an id of its
// own, so two requests for the same tab are distinct.
struct MonitorEditFocus
{
    Uuid id;
    Uuid monitorID;
    MonitorDetailTab tab = MonitorDetailTab::steps;

    friend bool operator==(const MonitorEditFocus&, const MonitorEditFocus&) = default;
};

} // namespace tavlen
