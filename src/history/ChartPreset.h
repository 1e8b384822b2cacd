#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tavlen {

// The time ranges the Charts tab offers. Each stands for a fixed length of time, not a calendar period: a month
// is 30 days and a year 365.
enum class ChartPreset
{
    sixHours,
    day,
    week,
    month,
    threeMonths,
    sixMonths,
    year,
    all,
};

inline constexpr std::array<ChartPreset, 8> allChartPresets{ChartPreset::sixHours,
                                                            ChartPreset::day,
                                                            ChartPreset::week,
                                                            ChartPreset::month,
                                                            ChartPreset::threeMonths,
                                                            ChartPreset::sixMonths,
                                                            ChartPreset::year,
                                                            ChartPreset::all};

// "6H", "1D", "1W", "1M", "3M", "6M", "1Y" or "ALL".
std::string_view rawValueOf(ChartPreset preset);

// The preset whose raw value is exactly this text; any other text (also "1w" or "all") gives none.
std::optional<ChartPreset> chartPresetFromRawValue(std::string_view text);

// The preset's length in milliseconds; none for all, whose window starts at the monitor's first check.
std::optional<std::int64_t> durationMillisecondsOf(ChartPreset preset);

} // namespace tavlen
