#include "StepsScreenshot.h"

#include "Base64.h"
#include "BridgeFailure.h"
#include "MainBundle.h"
#include "ReadingFailure.h"
#include "StepsText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tavlen {
namespace {

RgbaImage solidImage(std::uint32_t width, std::uint32_t height)
{
    RgbaImage image{width, height, std::vector<std::uint8_t>(std::size_t{width} * height * 4, 0x80)};
    return image;
}

std::uint32_t crc32Of(std::string_view bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::string bigEndian(std::uint32_t value)
{
    return {static_cast<char>(value >> 24),
            static_cast<char>(value >> 16),
            static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::string chunk(std::string_view type, std::string_view data)
{
    const std::string typed = std::string(type) + std::string(data);
    return bigEndian(static_cast<std::uint32_t>(data.size())) + typed + bigEndian(crc32Of(typed));
}

// A well-formed PNG of a few dozen bytes that declares a width × height RGBA image and holds one empty
// compressed block: small enough for any frame, and a bitmap of width × height × 4 bytes once inflated.
std::string declaredPng(std::uint32_t width, std::uint32_t height)
{
    const std::string header = bigEndian(width) + bigEndian(height) + std::string("\x08\x06\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) +
           chunk("IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)) + chunk("IEND", "");
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

// A PNG may declare any size in a few bytes; the limit is fixed, not the header's own size, so such a file is
// refused before its bitmap is allocated, and the refusal is the screenshot's own failure.
TEST_F(StepsScreenshotTest, aTinyPngThatDeclaresAHugeImageIsRefusedBeforeAnythingIsAllocated)
{
    struct Row
    {
        const char* name;
        std::uint32_t width;
        std::uint32_t height;
    };

    const Row rows[] = {
        {"46341 × 46341, an 8.6 GB bitmap", 46341, 46341},
        {"100000 × 100000, beyond what can be allocated", 100000, 100000},
        {"one row beyond the limit", 16384, 8193},
        {"a single row of the widest size a PNG allows", 0x7FFFFFFF, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_GT(std::uint64_t{row.width} * row.height, StepsScreenshot::maximumPixels);
        BrowserSnapshot snapshot = snapshotOf(solidImage(3, 2));
        snapshot.imageWidth = row.width;
        snapshot.imageHeight = row.height;
        snapshot.imageBase64 = base64Encode(declaredPng(row.width, row.height));
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
