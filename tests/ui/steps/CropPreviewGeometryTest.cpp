#include "CropPreviewGeometry.h"

#include "ScreenshotCrop.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tavlen::ui {
namespace {

TEST(CropPreviewGeometryTest, idealSizeKeepsTheAspectWithinTheFrameAndEightTimes)
{
    struct Row
    {
        const char* name;
        QSizeF image;
        std::optional<double> width;
        std::optional<double> height;
        QSizeF expected;
    };

    const Row rows[] = {
        {"a tiny crop stops at eight times", {10, 5}, std::nullopt, std::nullopt, {80, 40}},
        {"a wide crop fills the width", {2000, 100}, std::nullopt, std::nullopt, {480, 24}},
        {"a tall crop fills the height", {100, 1000}, std::nullopt, std::nullopt, {10, 100}},
        {"a smaller proposal wins", {200, 100}, 100.0, std::nullopt, {100, 50}},
        {"a larger proposal is cut to the frame", {200, 100}, 1000.0, 1000.0, {200, 100}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(cropIdealSize(row.image, row.width, row.height), row.expected);
    }
}

TEST(CropPreviewGeometryTest, originsCentreSmallAxesAndKeepMarginsOutOfLargeOnes)
{
    const QSizeF bounds(400, 100);
    const QSizeF image(200, 100);

    struct Row
    {
        const char* name;
        double scale;
        QPointF origin;
        QPointF expected;
    };

    const Row rows[] = {
        {"fitted is centred", 1, {50, 50}, {100, 0}},
        {"zoomed cannot show a left margin", 4, {10, -10}, {0, -10}},
        {"zoomed cannot show a right margin", 4, {-900, -10}, {-400, -10}},
        {"zoomed cannot show a bottom margin", 4, {-100, -500}, {-100, -300}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(clampedCropOrigin(row.origin, row.scale, bounds, image), row.expected);
    }
}

TEST(CropPreviewGeometryTest, zoomKeepsThePointUnderThePointerBetweenFitAndEight)
{
    const QSizeF bounds(200, 100);
    const QSizeF image(100, 100);
    const CropZoom fitted = fittedCrop(bounds, image);
    EXPECT_EQ(fitted, (CropZoom{1, {50, 0}}));

    // Image point (50, 50) lies under (100, 50); after doubling it still does.
    CropZoom doubled = zoomedCrop(fitted, 2, {100, 50}, bounds, image);
    EXPECT_EQ(doubled.scale, 2);
    EXPECT_EQ(doubled.origin + QPointF(50, 50) * doubled.scale, QPointF(100, 50));

    EXPECT_EQ(zoomedCrop(doubled, 0.01, {100, 50}, bounds, image), fitted);
    EXPECT_EQ(zoomedCrop(fitted, 100, {0, 0}, bounds, image).scale, 8);
    EXPECT_EQ(zoomedCrop(fitted, 0, {0, 0}, bounds, image), fitted);
    EXPECT_EQ(zoomedCrop(fitted, std::nan(""), {0, 0}, bounds, image), fitted);
    EXPECT_EQ(zoomedCrop(fitted, 2, {0, 0}, bounds, QSizeF()), fitted);
}

TEST(CropPreviewGeometryTest, wheelTurnsBecomeFactorsUpToEToTheFourth)
{
    EXPECT_DOUBLE_EQ(cropWheelFactor(1, false), std::exp(0.1));
    EXPECT_DOUBLE_EQ(cropWheelFactor(-1, false), std::exp(-0.1));
    EXPECT_DOUBLE_EQ(cropWheelFactor(10, true), std::exp(0.1));
    EXPECT_DOUBLE_EQ(cropWheelFactor(1000, false), 54.598150033144236);
    EXPECT_DOUBLE_EQ(cropWheelFactor(-1000, true), std::exp(-4.0));
}

TEST(CropPreviewGeometryTest, resizingRefitsAFittedCropAndKeepsAZoomedOnesCentre)
{
    const QSizeF image(200, 100);
    CropZoom fitted = fittedCrop({400, 100}, image);
    EXPECT_EQ(resizedCrop(fitted, {400, 100}, {100, 100}, image), fittedCrop({100, 100}, image));

    // Zoomed to 2 with image point (100, 50) at the centre of 400 × 100.
    CropZoom zoomed{2, {0, -50}};
    CropZoom resized = resizedCrop(zoomed, {400, 100}, {200, 100}, image);
    EXPECT_EQ(resized.scale, 2);
    EXPECT_EQ(resized.origin + QPointF(100, 50) * 2, QPointF(100, 50));
}

TEST(CropPreviewGeometryTest, dragsOfFourPointsOrMorePan)
{
    EXPECT_FALSE(cropDragPans({3, 2}));
    EXPECT_TRUE(cropDragPans({0, 4}));
    EXPECT_TRUE(cropDragPans({-3, -3}));
}

TEST(ScreenshotCropTest, theCropIsTheClampedRegionRoundedOutwards)
{
    RgbaImage image;
    image.width = 10;
    image.height = 6;
    for (std::uint32_t y = 0; y < image.height; ++y) {
        for (std::uint32_t x = 0; x < image.width; ++x) {
            image.pixels.insert(image.pixels.end(), {std::uint8_t(x), std::uint8_t(y), 0, 255});
        }
    }

    struct Row
    {
        const char* name;
        BrowserRect region;
        std::optional<QRect> expected;
    };

    const Row rows[] = {
        {"whole pixels", {2, 1, 3, 2}, QRect(2, 1, 3, 2)},
        {"fractions round outwards", {2.5, 1.2, 3, 2}, QRect(2, 1, 4, 3)},
        {"cut at the image's edge", {8, 4, 10, 10}, QRect(8, 4, 2, 2)},
        {"wholly outside", {20, 1, 3, 2}, std::nullopt},
        {"less than a pixel high", {2, 1, 3, 0.5}, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::optional<QImage> crop = cropForPreview(image, row.region);
        ASSERT_EQ(crop.has_value(), row.expected.has_value());
        if (!crop) {
            continue;
        }
        EXPECT_EQ(crop->size(), row.expected->size());
        const QColor first = crop->pixelColor(0, 0);
        const QColor last = crop->pixelColor(crop->width() - 1, crop->height() - 1);
        EXPECT_EQ(QPoint(first.red(), first.green()), row.expected->topLeft());
        EXPECT_EQ(QPoint(last.red(), last.green()), row.expected->bottomRight());
    }
}

} // namespace
} // namespace tavlen::ui
