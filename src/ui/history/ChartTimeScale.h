#pragma once

#include "ChartWindow.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavlen::ui {

// Maps a chart window onto a plot: the window's start lies on the plot's left edge and its end on its right edge,
// linear in between. Every lane of a panel places its marks through one of these.
struct ChartTimeScale
{
    ChartWindow window;
    double plotLeft = 0;
    double plotWidth = 0;

    // The x position of a time; none when the window or the plot is empty.
    std::optional<double> position(std::int64_t milliseconds) const;

    // The time at an x position, rounded down to whole milliseconds; none when the window or the plot is empty.
    std::optional<std::int64_t> time(double x) const;
};

// One value of the time axis: where its grid line goes and its label.
struct ChartTimeTick
{
    std::int64_t milliseconds = 0;
    std::string label;

    friend bool operator==(const ChartTimeTick&, const ChartTimeTick&) = default;
};

// About five round instants inside the window (seconds, minutes, hours, days, months or years of the user's zone,
// whichever step gives at most five), each with a short label in the user's locale that says as much as the
// step needs ("3:00 PM", "Jan 5", "Mar 2024", "2024").
std::vector<ChartTimeTick> chartTimeTicks(const ChartWindow& window);

} // namespace tavlen::ui
