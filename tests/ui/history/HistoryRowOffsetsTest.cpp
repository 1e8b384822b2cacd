#include "HistoryRowOffsets.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace tavlen::ui {
namespace {

// Tops and the row at every position, against plain prefix sums.
void expectAgreesWithPrefixSums(const HistoryRowOffsets& offsets, const std::vector<int>& heights)
{
    std::int64_t top = 0;
    for (int i = 0; i < static_cast<int>(heights.size()); ++i) {
        ASSERT_EQ(offsets.top(i), top) << "row " << i;
        ASSERT_EQ(offsets.indexAt(top), i) << "the top edge of row " << i;
        ASSERT_EQ(offsets.indexAt(top + heights[static_cast<std::size_t>(i)] - 1), i) << "the last pixel of row " << i;
        top += heights[static_cast<std::size_t>(i)];
    }
    EXPECT_EQ(offsets.total(), top);
    EXPECT_EQ(offsets.indexAt(top), offsets.count());
    EXPECT_EQ(offsets.indexAt(top + 1000), offsets.count());
    EXPECT_EQ(offsets.indexAt(-5), 0);
}

TEST(HistoryRowOffsetsTest, topsAndRowsAtPositionsMatchPrefixSumsAfterChanges)
{
    for (const int count : {0, 1, 2, 7, 64, 1000, 1025}) {
        SCOPED_TRACE(count);
        std::mt19937 random(static_cast<unsigned>(count));
        std::vector<int> heights(static_cast<std::size_t>(count));
        for (int& height : heights) {
            height = std::uniform_int_distribution(1, 400)(random);
        }
        HistoryRowOffsets offsets(heights);
        expectAgreesWithPrefixSums(offsets, heights);
        for (int change = 0; change < count / 2; ++change) {
            const int index = std::uniform_int_distribution(0, count - 1)(random);
            heights[static_cast<std::size_t>(index)] = std::uniform_int_distribution(1, 400)(random);
            offsets.setHeight(index, heights[static_cast<std::size_t>(index)]);
        }
        expectAgreesWithPrefixSums(offsets, heights);
    }
}

TEST(HistoryRowOffsetsTest, aHundredThousandRowsReachBeyondTheRangeOfAScreen)
{
    HistoryRowOffsets offsets(std::vector<int>(100'000, 60));
    EXPECT_EQ(offsets.total(), 6'000'000);
    EXPECT_EQ(offsets.indexAt(5'999'999), 99'999);
    offsets.setHeight(0, 600);
    EXPECT_EQ(offsets.top(99'999), 99'999 * 60 + 540);
    EXPECT_EQ(offsets.indexAt(599), 0);
    EXPECT_EQ(offsets.indexAt(600), 1);
}

} // namespace
} // namespace tavlen::ui
