#include "ChartTextLayout.h"

#include "ChartUiTestValues.h"

#include <QList>

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using test::chartID;
using test::intervalOf;

std::vector<ChartTextBlock> blocksOf(const std::vector<std::pair<double, double>>& spans, bool touching = true)
{
    std::vector<ChartTextBlock> blocks;
    int n = 0;
    for (const auto& [left, right] : spans) {
        ++n;
        const std::int64_t start = touching ? n * 10 : n * 10 + 1;
        blocks.push_back({intervalOf(n, start, n * 10 + 10, "x"), QRectF(left, 33, right - left, 20)});
    }
    return blocks;
}

TEST(ChartTextLayoutTest, blocksSpanTheirIntervalsAroundThePlotMiddle)
{
    const ChartTimeScale scale{{1000, 2000}, 64, 100};
    const std::vector<ChartTextBlock> blocks =
        makeChartTextBlocks({intervalOf(1, 500, 1200, "a"), intervalOf(2, 1200, 2600, "b", true)}, scale, 43);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].rect, QRectF(14, 33, 70, 20));
    EXPECT_EQ(blocks[1].rect, QRectF(84, 33, 140, 20));
    EXPECT_TRUE(makeChartTextBlocks({intervalOf(1, 0, 1, "a")}, {{5, 5}, 0, 100}, 43).empty());
}

TEST(ChartTextLayoutTest, separatorsGoBetweenTouchingBlocksOfSixPointsOrMore)
{
    EXPECT_EQ(chartTextSeparatorPositions(blocksOf({{0, 6}, {6, 12}, {12, 17}, {17, 40}})), (std::vector<double>{6}));
    EXPECT_TRUE(chartTextSeparatorPositions(blocksOf({{0, 20}, {20, 40}}, false)).empty());
    EXPECT_TRUE(chartTextSeparatorPositions({}).empty());
}

TEST(ChartTextLayoutTest, blockUnderThePoint)
{
    // Bars 0-10 and 10-30, a gap, then 40-60 and a later bar 50-90 that overlaps it.
    const std::vector<ChartTextBlock> blocks = blocksOf({{0, 10}, {10, 30}, {40, 60}, {50, 90}});

    struct Row
    {
        const char* name;
        QPointF point;
        std::optional<Uuid> selected;
        std::optional<std::size_t> expected;
    };

    const std::vector<Row> rows{
        {"left edge", {0, 40}, {}, 0},
        {"a shared edge belongs to the later bar", {10, 40}, {}, 1},
        {"in the gap", {35, 40}, {}, std::nullopt},
        {"where two bars overlap: the first that ends right of x", {55, 40}, {}, 2},
        {"past the overlap", {65, 40}, {}, 3},
        {"past every bar", {95, 40}, {}, std::nullopt},
        {"left of every bar", {-1, 40}, {}, std::nullopt},
        {"top edge", {5, 33}, {}, 0},
        {"bottom edge is outside", {5, 53}, {}, std::nullopt},
        {"above an unselected bar", {5, 30}, {}, std::nullopt},
        {"above the selected bar, inside its raised part", {5, 25}, chartID(1), 0},
        {"above the raised part", {5, 24.9}, chartID(1), std::nullopt},
        {"raised part of another bar than the selected one", {15, 25}, chartID(1), std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(chartTextBlockAt(blocks, row.point, row.selected), row.expected);
    }
    EXPECT_FALSE(chartTextBlockAt({}, {0, 0}, {}));
}

TEST(ChartTextLayoutTest, labelTextIsOneLine)
{
    EXPECT_EQ(chartTextLabelText("a\tb\nc\r\nd\u2028e\u0085f\rg\u000bh"), QStringLiteral("a b c d e f g h"));
    EXPECT_EQ(chartTextLabelText(""), QStringLiteral("Empty text"));
    EXPECT_EQ(chartTextLabelText("Ünïcödé 👍🏽"), QStringLiteral("Ünïcödé 👍🏽"));
}

TEST(ChartTextLayoutTest, fittedLabelsKeepTheLongestPrefixThatFits)
{
    // Each character, a full stop included, is 5 points wide; a thumbs-up with its skin tone counts as one.
    int measured = 0;
    const ChartTextMeasure measure = [&](const QString& text) {
        ++measured;
        return 5.0 * static_cast<double>(text.toUcs4().size() - text.count(QChar(0xD83C)));
    };

    struct Row
    {
        const char* name;
        const char* text;
        double width;
        std::optional<QString> expected;
    };

    const std::vector<Row> rows{
        {"fits whole", "Open", 20, QStringLiteral("Open")},
        {"cut to the longest prefix", "Opening soon", 40, QStringLiteral("Openi...")},
        {"exactly one character and dots", "Opening soon", 20, QStringLiteral("O...")},
        {"not even one character and dots", "Opening soon", 19.9, std::nullopt},
        {"two characters that do not fit", "Ab", 9, std::nullopt},
        {"an emoji with its modifier stays whole",
         "👍🏽👍🏽👍🏽👍🏽👍🏽👍🏽",
         25,
         QStringLiteral("👍🏽👍🏽...")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(fittedChartLabel(QString::fromUtf8(row.text), row.width, measure), row.expected);
    }
    // A long text is measured whole, then once for one character and once per halving step.
    measured = 0;
    fittedChartLabel(QString(1000, QChar(u'a')), 100, measure);
    EXPECT_LE(measured, 2 + 10);
}

} // namespace
} // namespace tavlen::ui
