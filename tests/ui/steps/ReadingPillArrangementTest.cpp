#include "ReadingPillArrangement.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

struct Case
{
    const char* name;
    std::vector<QSize> sizes;
    std::optional<int> width;
    std::vector<QRect> frames;
    QSize total;
};

TEST(ReadingPillArrangementTest, pillsFlowIntoRowsAtTheWidth)
{
    const std::vector<Case> cases{
        {"no pills take no room", {}, 100, {}, QSize(0, 0)},
        {"pills that exactly fill the width stay on one row",
         {{40, 20}, {52, 20}},
         100,
         {{0, 0, 40, 20}, {48, 0, 52, 20}},
         QSize(100, 20)},
        {"a pill ending one point beyond the width starts a row one spacing below",
         {{40, 20}, {53, 24}},
         100,
         {{0, 0, 40, 20}, {0, 28, 53, 24}},
         QSize(53, 52)},
        {"a row is as tall as its tallest pill",
         {{30, 20}, {30, 26}, {90, 20}},
         100,
         {{0, 0, 30, 20}, {38, 0, 30, 26}, {0, 34, 90, 20}},
         QSize(90, 54)},
        {"a pill wider than the width sits alone at x = 0, unshrunk",
         {{150, 20}, {20, 20}},
         100,
         {{0, 0, 150, 20}, {0, 28, 20, 20}},
         QSize(150, 48)},
        {"without a width every pill goes into one row",
         {{150, 20}, {150, 20}, {150, 20}},
         std::nullopt,
         {{0, 0, 150, 20}, {158, 0, 150, 20}, {316, 0, 150, 20}},
         QSize(466, 20)},
        {"a zero width still puts the first pill of each row",
         {{10, 10}, {10, 10}},
         0,
         {{0, 0, 10, 10}, {0, 18, 10, 10}},
         QSize(10, 28)},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const ReadingPillArrangement arrangement = arrangeReadingPills(row.sizes, row.width, 8);
        EXPECT_EQ(arrangement.frames, row.frames);
        EXPECT_EQ(arrangement.size, row.total);
    }
}

} // namespace
} // namespace tavlen::ui
