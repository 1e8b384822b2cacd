#pragma once

#include "ChartCheckEvent.h"
#include "ChartField.h"
#include "ChartReading.h"
#include "ChartWindow.h"

#include <vector>

namespace tavlen {

// Everything the charts of one monitor need for one window, read at one moment.
struct ChartSnapshot
{
    ChartWindow window;
    // The saved workflow's fields in workflow order, then the fields no longer read, by name.
    std::vector<ChartField> fields;
    // The readings in the window and, per field, the last one before it and the first one at or after its end;
    // by check start, check id, then position in the check.
    std::vector<ChartReading> samples;
    // The checks that started in the window, by start and id.
    std::vector<ChartCheckEvent> checks;

    friend bool operator==(const ChartSnapshot&, const ChartSnapshot&) = default;
};

} // namespace tavlen
