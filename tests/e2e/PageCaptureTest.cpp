#include "EndToEndTest.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tavlen::test {
namespace {

// The colour of one pixel, 0xRRGGBB.
Colour colourAt(const RgbaImage& image, std::uint32_t x, std::uint32_t y)
{
    const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 4;
    return (Colour{image.pixels.at(at)} << 16) | (Colour{image.pixels.at(at + 1)} << 8) | image.pixels.at(at + 2);
}

// Each channel within a few steps: colour conversion may round.
testing::AssertionResult sameColour(Colour actual, Colour expected)
{
    for (int shift : {16, 8, 0}) {
        if (std::abs(static_cast<int>((actual >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF)) > 4) {
            return testing::AssertionFailure() << std::hex << "0x" << actual << " is not 0x" << expected;
        }
    }
    return testing::AssertionSuccess();
}

const BrowserPageTree::Node* nodeWithText(const BrowserPageTree& tree, const std::string& text)
{
    for (const auto& node : tree.nodes) {
        if (node.text && node.text->find(text) != std::string::npos) {
            return &node;
        }
    }
    return nullptr;
}

TEST_F(EndToEndTest, longPage_isCapturedWholeWithItsBandsInOrder)
{
    useOpenPage(m_pages.url("/long.html"), {1280, 800, 1, false});
    const StepsExecutionResult result = testOpenPage();
    ASSERT_EQ(result.failure, std::nullopt) << result.failure->message();

    const auto shot = screenshot();
    ASSERT_NE(shot, nullptr);
    const RgbaImage& image = shot->image();
    ASSERT_EQ(image.width, 1280u);
    ASSERT_EQ(image.height, 12u * TestPages::bandHeight);
    // Not the first viewport repeated like tiles: every band in its place, at its top, middle and bottom.
    for (std::size_t band = 0; band < TestPages::bandColours.size(); ++band) {
        const auto top = static_cast<std::uint32_t>(band * TestPages::bandHeight);
        for (const std::uint32_t y : {top + 60, top + 500, top + 990}) {
            EXPECT_TRUE(sameColour(colourAt(image, 900, y), TestPages::bandColours[band]))
                << "band " << band + 1 << " at y " << y;
        }
    }
    // The page tree's boxes are in page coordinates, far below the viewport too.
    const auto* last = nodeWithText(shot->pageTree(), "Band 12");
    ASSERT_NE(last, nullptr);
    ASSERT_TRUE(last->bounds.has_value());
    EXPECT_NEAR(last->bounds->y, 11 * TestPages::bandHeight + 8, 4);
    EXPECT_TRUE(last->visibility.rendered);
    EXPECT_EQ(shot->pageTree().status, "complete");
}

TEST_F(EndToEndTest, fixedHeaderAppearsOnceAndTheLazyImageBelowTheFoldIsLoaded)
{
    useOpenPage(m_pages.url("/fixed.html"), {1024, 700, 1, false});
    const StepsExecutionResult result = testOpenPage();
    ASSERT_EQ(result.failure, std::nullopt) << result.failure->message();

    const auto shot = screenshot();
    ASSERT_NE(shot, nullptr);
    const RgbaImage& image = shot->image();
    ASSERT_EQ(image.width, 1024u) << "the viewport's width, without a scrollbar";
    ASSERT_EQ(image.height, static_cast<std::uint32_t>(TestPages::fixedPageHeight));
    EXPECT_TRUE(sameColour(colourAt(image, 5, 5), TestPages::headerColour));
    EXPECT_TRUE(sameColour(colourAt(image, 5, TestPages::headerHeight + 5), TestPages::pageColour));
    EXPECT_TRUE(sameColour(colourAt(image, 5, 705), TestPages::pageColour)) << "the header is not repeated";
    const BrowserRect& box = TestPages::lazyImageBox;
    EXPECT_TRUE(sameColour(colourAt(image,
                                    static_cast<std::uint32_t>(box.x + box.width / 2),
                                    static_cast<std::uint32_t>(box.y + box.height / 2)),
                           TestPages::lazyImageColour))
        << "the lazy image was not loaded";

    const BrowserPageTree::Node* picture = nullptr;
    for (const auto& node : shot->pageTree().nodes) {
        if (node.role == "img") {
            picture = &node;
        }
    }
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->name, "A green square");
    EXPECT_EQ(picture->nameSource, "attribute");
    ASSERT_TRUE(picture->bounds.has_value());
    EXPECT_EQ(*picture->bounds, box);
}

} // namespace
} // namespace tavlen::test
