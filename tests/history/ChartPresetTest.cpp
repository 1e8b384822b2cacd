#include "ChartPreset.h"

#include <gtest/gtest.h>

namespace tavlen {
namespace {

TEST(ChartPresetTest, rawValuesAndDurationsAreFixed)
{
    struct Row
    {
        ChartPreset preset;
        const char* raw;
        std::optional<std::int64_t> duration;
    };

    const std::vector<Row> rows{{ChartPreset::sixHours, "6H", 21'600'000},
                                {ChartPreset::day, "1D", 86'400'000},
                                {ChartPreset::week, "1W", 604'800'000},
                                {ChartPreset::month, "1M", 2'592'000'000},
                                {ChartPreset::threeMonths, "3M", 7'776'000'000},
                                {ChartPreset::sixMonths, "6M", 15'552'000'000},
                                {ChartPreset::year, "1Y", 31'536'000'000},
                                {ChartPreset::all, "ALL", std::nullopt}};
    ASSERT_EQ(allChartPresets.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].raw);
        EXPECT_EQ(allChartPresets[i], rows[i].preset);
        EXPECT_EQ(rawValueOf(rows[i].preset), rows[i].raw);
        EXPECT_EQ(chartPresetFromRawValue(rows[i].raw), rows[i].preset);
        EXPECT_EQ(durationMillisecondsOf(rows[i].preset), rows[i].duration);
    }
    for (const char* text : {"1w", "all", "", " 1W", "1W ", "12H"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(chartPresetFromRawValue(text), std::nullopt);
    }
}

} // namespace
} // namespace tavlen
