#include "ChartPreset.h"

namespace tavlen {

namespace {

constexpr std::int64_t hour = 3'600'000;
constexpr std::int64_t day = 24 * hour;

} // namespace

std::string_view rawValueOf(ChartPreset preset)
{
    switch (preset) {
    case ChartPreset::sixHours:
        return "6H";
    case ChartPreset::day:
        return "1D";
    case ChartPreset::week:
        return "1W";
    case ChartPreset::month:
        return "1M";
    case ChartPreset::threeMonths:
        return "3M";
    case ChartPreset::sixMonths:
        return "6M";
    case ChartPreset::year:
        return "1Y";
    case ChartPreset::all:
        break;
    }
    return "ALL";
}

std::optional<ChartPreset> chartPresetFromRawValue(std::string_view text)
{
    for (const ChartPreset preset : allChartPresets) {
        if (rawValueOf(preset) == text) {
            return preset;
        }
    }
    return std::nullopt;
}

std::optional<std::int64_t> durationMillisecondsOf(ChartPreset preset)
{
    switch (preset) {
    case ChartPreset::sixHours:
        return 6 * hour;
    case ChartPreset::day:
        return day;
    case ChartPreset::week:
        return 7 * day;
    case ChartPreset::month:
        return 30 * day;
    case ChartPreset::threeMonths:
        return 90 * day;
    case ChartPreset::sixMonths:
        return 180 * day;
    case ChartPreset::year:
        return 365 * day;
    case ChartPreset::all:
        break;
    }
    return std::nullopt;
}

} // namespace tavlen
