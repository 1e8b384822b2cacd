#include "ChartIssueMarkers.h"

#include "ChartUiTestValues.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using test::chartID;

std::vector<ChartIssueMarker> markersAt(const std::vector<double>& xs)
{
    std::vector<ChartIssueMarker> markers;
    int n = 0;
    for (const double x : xs) {
        markers.push_back({{chartID(++n), 0, "failed"}, x});
    }
    return markers;
}

TEST(ChartIssueMarkersTest, markersLieAlongTheWindowUnroundedAndUnclamped)
{
    const std::vector<ChartIssue> issues{
        {chartID(1), 1000, ""}, {chartID(2), 1250, ""}, {chartID(3), 1250, ""}, {chartID(4), 2500, ""}};
    const std::vector<ChartIssueMarker> markers = makeChartIssueMarkers(issues, {1000, 2000}, 301);
    ASSERT_EQ(markers.size(), 4u);
    EXPECT_DOUBLE_EQ(markers[0].x, 0);
    EXPECT_DOUBLE_EQ(markers[1].x, 75.25);
    EXPECT_DOUBLE_EQ(markers[2].x, 75.25);
    EXPECT_DOUBLE_EQ(markers[3].x, 451.5);
    EXPECT_EQ(markers[2].issue.id, chartID(3));
}

TEST(ChartIssueMarkersTest, markersOfOneColumnShareOneTick)
{
    EXPECT_EQ(chartIssueTickColumns(markersAt({0, 0.2, 0.9, 1, 1.5, 7.99, 8, 300})),
              (std::vector<int>{0, 1, 7, 8, 300}));
    EXPECT_TRUE(chartIssueTickColumns({}).empty());
}

TEST(ChartIssueMarkersTest, nearestMarkerNeedsThePointInsideItsRectangle)
{
    // Markers 1 and 2 share x 50; 3 sits 10 points right of them, 4 far away.
    const std::vector<ChartIssueMarker> markers = markersAt({50, 50, 60, 200});

    struct Row
    {
        const char* name;
        QPointF point;
        int expected; // 0: none
    };

    const Row rows[] = {
        {"at a shared x: the earliest", {50, 12}, 1},
        {"left of a shared x: the earliest", {46, 12}, 1},
        {"right of a shared x: the latest", {54, 12}, 2},
        {"halfway between markers 10 points apart: the earlier", {55, 12}, 2},
        {"just past halfway: the later", {55.01, 12}, 3},
        {"6 points left is the rectangle's left edge", {44, 12}, 1},
        {"more than 6 points left: none", {43.99, 12}, 0},
        {"6 points right is outside", {206, 12}, 0},
        {"just under 6 points right", {205.99, 12}, 4},
        {"y 2 is the top edge", {200, 2}, 4},
        {"above y 2: none", {200, 1.99}, 0},
        {"y 22 is outside", {200, 22}, 0},
        {"before the first marker, inside its rectangle", {45, 12}, 1},
        {"past the last marker, outside its rectangle", {400, 12}, 0},
        {"between markers but inside neither", {130, 12}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<ChartIssueMarker> found = nearestChartIssueMarker(markers, row.point);
        if (row.expected == 0) {
            EXPECT_FALSE(found);
        } else {
            ASSERT_TRUE(found);
            EXPECT_EQ(found->issue.id, chartID(row.expected));
        }
    }
    EXPECT_FALSE(nearestChartIssueMarker({}, {0, 12}));
}

TEST(ChartIssueMarkersTest, tieBetweenMarkersTwelvePointsApartSelectsNothing)
{
    // Twelve points apart the rectangles touch at the midpoint; the tie goes to the earlier marker, whose
    // rectangle ends there (right edge excluded), so that one seam selects nothing.
    const std::vector<ChartIssueMarker> markers = markersAt({100, 112});
    EXPECT_FALSE(nearestChartIssueMarker(markers, {106, 10}));
    EXPECT_EQ(nearestChartIssueMarker(markers, {105.99, 10})->issue.id, chartID(1));
    EXPECT_EQ(nearestChartIssueMarker(markers, {106.01, 10})->issue.id, chartID(2));
    // Eleven points apart the tie lies inside the earlier one's rectangle.
    EXPECT_EQ(nearestChartIssueMarker(markersAt({100, 111}), {105.5, 10})->issue.id, chartID(1));
}

} // namespace
} // namespace tavlen::ui
