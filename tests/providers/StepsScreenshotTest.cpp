#include "StepsScreenshot.h"

#include "Base64.h"
#include "BridgeFailure.h"
#include "MainBundle.h"
#include "ReadingFailure.h"
#include "StepsText.h"

#include <gtest/gtest.h>

#include <functional>

namespace tavlen {
namespace {

RgbaImage solidImage(std::uint32_t width, std::uint32_t height)
{
    RgbaImage image{width, height, std::vector<std::uint8_t>(std::size_t{width} * height * 4, 0x80)};
    return image;
}

BrowserSnapshot snapshotOf(const RgbaImage& image)
{
    BrowserSnapshot snapshot;
    snapshot.url = "https://example.com/";
    snapshot.contentRect = BrowserRect{0, 0, 3, 2};
    snapshot.imageWidth = image.width;
    snapshot.imageHeight = image.height;
    snapshot.imageBase64 = base64Encode(encodePng(image));
    snapshot.snapshotID = "snapshot-1";
    snapshot.capturedAt = "2026-01-02T03:04:05.678Z";
    snapshot.pageTree.snapshotId = "snapshot-1";
    snapshot.pageTree.startedAt = "2026-01-02T03:04:05.000Z";
    snapshot.pageTree.finishedAt = "2026-01-02T03:04:06.000Z";
    snapshot.pageTree.status = "unavailable";
    snapshot.pageTree.reasons = {"tree_unavailable"};
    return snapshot;
}

class StepsScreenshotTest : public testing::Test
{
protected:
    void SetUp() override { overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR)); }

    void TearDown() override { overrideMainBundleDirectory(std::nullopt); }
};

TEST_F(StepsScreenshotTest, decodesTheImageAndKeepsThePageFacts)
{
    BrowserSnapshot snapshot = snapshotOf(solidImage(3, 2));
    auto first = StepsScreenshot::make(snapshot);
    auto second = StepsScreenshot::make(snapshot);
    EXPECT_EQ(first->image().width, 3u);
    EXPECT_EQ(first->image().height, 2u);
    EXPECT_EQ(first->image().pixels.size(), 24u);
    EXPECT_EQ(first->png(), *base64Decode(snapshot.imageBase64));
    EXPECT_EQ(first->capturedAt(), snapshot.capturedAt);
    EXPECT_EQ(first->snapshotID(), "snapshot-1");
    EXPECT_EQ(first->pageTree(), snapshot.pageTree);
    EXPECT_NE(first->id(), second->id());
}

TEST_F(StepsScreenshotTest, refusesImagesThatCannotBeUsed)
{
    using Edit = std::function<void(BrowserSnapshot&)>;

    struct Row
    {
        const char* name;
        Edit edit;
    };

    const Row rows[] = {
        {"one pixel wider than announced", [](auto& s) { s.imageWidth += 1; }},
        {"one pixel lower than announced", [](auto& s) { s.imageHeight -= 1; }},
        {"much larger than announced", [](auto& s) { s.imageBase64 = base64Encode(encodePng(solidImage(400, 300))); }},
        {"data URL prefix", [](auto& s) { s.imageBase64 = "data:image/png;base64," + s.imageBase64; }},
        {"line break", [](auto& s) { s.imageBase64.insert(8, "\n"); }},
        {"not an image", [](auto& s) { s.imageBase64 = base64Encode("GIF89a not a png"); }},
        {"truncated PNG",
         [](auto& s) {
             std::string png = *base64Decode(s.imageBase64);
             s.imageBase64 = base64Encode(png.substr(0, png.size() - 20));
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BrowserSnapshot snapshot = snapshotOf(solidImage(3, 2));
        row.edit(snapshot);
        try {
            StepsScreenshot::make(snapshot);
            ADD_FAILURE() << "accepted";
        } catch (const ReadingFailure& error) {
            EXPECT_EQ(error.message(), steps_text::screenshotUnreadable);
        }
    }
}

TEST_F(StepsScreenshotTest, aTreeOfAnotherSnapshotFailsTheTreeCheckBeforeTheImageIsLookedAt)
{
    BrowserSnapshot snapshot = snapshotOf(solidImage(3, 2));
    snapshot.pageTree.snapshotId = "snapshot-2";
    snapshot.imageBase64 = "not base64";
    EXPECT_THROW(StepsScreenshot::make(snapshot), BridgeFailure);
}

} // namespace
} // namespace tavlen
