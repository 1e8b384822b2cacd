#include "ChartsTabState.h"

#include "ChartsText.h"

namespace tavlen::ui {

ChartsTabContent chartsTabContent(bool isLoading, bool hasLoaded, bool hasSeries, bool hasFilteredSeries)
{
    if (isLoading && !hasLoaded) {
        return ChartsTabContent::loading;
    }
    if (!hasLoaded) {
        return ChartsTabContent::nothing;
    }
    if (!hasSeries) {
        return ChartsTabContent::noReadings;
    }
    return hasFilteredSeries ? ChartsTabContent::panels : ChartsTabContent::noMatch;
}

bool chartsShowsHeader(bool hasLoaded, bool hasSeries)
{
    return !hasLoaded || hasSeries;
}

std::string chartsFieldCountText(std::size_t count)
{
    return std::to_string(count) + " " + std::string(count == 1 ? chartsText::field : chartsText::fields);
}

std::string_view chartPresetCaseName(ChartPreset preset)
{
    switch (preset) {
    case ChartPreset::sixHours:
        return "sixHours";
    case ChartPreset::day:
        return "day";
    case ChartPreset::week:
        return "week";
    case ChartPreset::month:
        return "month";
    case ChartPreset::threeMonths:
        return "threeMonths";
    case ChartPreset::sixMonths:
        return "sixMonths";
    case ChartPreset::year:
        return "year";
    case ChartPreset::all:
        return "all";
    }
    return "all";
}

std::string chartsLoadKey(std::int64_t revision, ChartPreset preset)
{
    return std::to_string(revision) + "-" + std::string(chartPresetCaseName(preset));
}

} // namespace tavlen::ui
