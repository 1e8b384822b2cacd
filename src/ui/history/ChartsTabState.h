#pragma once

#include "ChartPreset.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tavlen::ui {

// What fills the Charts tab below its header and error row.
enum class ChartsTabContent
{
    loading,    // the first load of the range runs
    noReadings, // the monitor has no field at all
    noMatch,    // the filter matches no field
    panels,
    nothing // before the first load, or after it was cancelled or failed
};

ChartsTabContent chartsTabContent(bool isLoading, bool hasLoaded, bool hasSeries, bool hasFilteredSeries);

// The header and its divider hide only when a load found no field at all.
bool chartsShowsHeader(bool hasLoaded, bool hasSeries);

// "1 field", "0 fields", "12 fields".
std::string chartsFieldCountText(std::size_t count);

// The name of the preset's case in code: "sixHours", "week", "all".
std::string_view chartPresetCaseName(ChartPreset preset);

// The tab loads again whenever this changes: the stored-checks revision, "-", the preset's case name ("7-week").
std::string chartsLoadKey(std::int64_t revision, ChartPreset preset);

} // namespace tavlen::ui
