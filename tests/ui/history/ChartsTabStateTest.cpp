#include "ChartsTabState.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

TEST(ChartsTabStateTest, contentFollowsTheModel)
{
    using C = ChartsTabContent;

    struct Row
    {
        const char* name;
        bool isLoading, hasLoaded, hasSeries, hasFiltered;
        C content;
        bool header;
    };

    const Row rows[] = {
        {"first load running", true, false, false, false, C::loading, true},
        {"reload of the loaded range keeps the panels", true, true, true, true, C::panels, true},
        {"a monitor without fields", false, true, false, false, C::noReadings, false},
        {"a filter that matches nothing", false, true, true, false, C::noMatch, true},
        {"loaded", false, true, true, true, C::panels, true},
        {"before the first load or after it failed", false, false, false, false, C::nothing, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(chartsTabContent(row.isLoading, row.hasLoaded, row.hasSeries, row.hasFiltered), row.content);
        EXPECT_EQ(chartsShowsHeader(row.hasLoaded, row.hasSeries), row.header);
    }
}

TEST(ChartsTabStateTest, countAndLoadKey)
{
    EXPECT_EQ(chartsFieldCountText(0), "0 fields");
    EXPECT_EQ(chartsFieldCountText(1), "1 field");
    EXPECT_EQ(chartsFieldCountText(12), "12 fields");
    EXPECT_EQ(chartsLoadKey(7, ChartPreset::week), "7-week");
    EXPECT_EQ(chartsLoadKey(0, ChartPreset::sixHours), "0-sixHours");
    EXPECT_EQ(chartsLoadKey(12, ChartPreset::all), "12-all");
}

} // namespace
} // namespace tavlen::ui
