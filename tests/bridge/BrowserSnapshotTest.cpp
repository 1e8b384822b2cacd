#include "BrowserSnapshot.h"

#include "BridgeFailure.h"
#include "JsonWriter.h"
#include "ParsedJson.h"
#include "ShippedConfiguration.h"
#include "WireCoding.h"
#include "WireSamples.h"
#include "WireSnapshotParts.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace tavlen {
namespace {

TEST(BrowserCaptureSettings, validateBoundsSidesAndScale)
{
    const double infinity = std::numeric_limits<double>::infinity();

    struct Row
    {
        const char* name;
        BrowserCaptureSettings settings;
        bool passes;
    };

    const Row rows[] = {
        {"ordinary", {1280, 800, 2, false}, true},
        {"8,000,000 by 1", {8'000'000, 1, 1, true}, true},
        {"8,000,001 wide", {8'000'001, 1, 1, false}, false},
        {"zero height", {1, 0, 1, false}, false},
        {"negative width", {-5, 10, 1, false}, false},
        {"scale 0", {10, 10, 0, false}, false},
        {"negative scale", {10, 10, -1, false}, false},
        {"infinite scale", {10, 10, infinity, false}, false},
        {"NaN scale", {10, 10, std::numeric_limits<double>::quiet_NaN(), false}, false},
        {"subnormal scale", {10, 10, std::numeric_limits<double>::denorm_min(), false}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            row.settings.validate();
            EXPECT_TRUE(row.passes);
        } catch (const BridgeFailure& failure) {
            EXPECT_FALSE(row.passes);
            EXPECT_EQ(failure, BridgeFailure(bridge_text::invalidCaptureSettings, bridge_code::invalidRequest));
        }
    }
    EXPECT_EQ(test::shippedConfiguration().captureSettings.width, 1280);
    EXPECT_NO_THROW(test::shippedConfiguration().captureSettings.validate());
}

TEST(BrowserSnapshot, checkGeometryHoldsTheRequestedViewportAndScale)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();

    struct Row
    {
        const char* name;
        BrowserCaptureSettings requested;
        std::function<void(BrowserSnapshot&)> edit;
        bool passes;
    };

    // The sample keeps 320 × 200 at device scale 2: content 8 × 6, image 16 × 12.
    const auto requested = test::sampleCaptureSettings();
    const auto mobile = BrowserCaptureSettings{1170, 2532, 3, true};
    const auto mobileSnapshot = [](BrowserSnapshot& s) {
        s.geometry.width = 390, s.geometry.height = 844, s.geometry.scale = 3;
        s.contentRect = {0, 0, 390, 2000};
        s.imageWidth = 1170, s.imageHeight = 6000;
    };
    const std::vector<Row> rows = {
        {"the sample", requested, [](BrowserSnapshot&) {}, true},
        {"one pixel narrower", requested, [](BrowserSnapshot& s) { s.geometry.width = 319; }, true},
        {"two pixels narrower", requested, [](BrowserSnapshot& s) { s.geometry.width = 318; }, false},
        {"page zoomed", requested, [](BrowserSnapshot& s) { s.geometry.zoom = 1.1; }, false},
        {"scale 2 when not mobile", requested, [](BrowserSnapshot& s) { s.geometry.scale = 2; }, false},
        {"scale 1.00005 when not mobile", requested, [](BrowserSnapshot& s) { s.geometry.scale = 1.00005; }, true},
        {"NaN offset", requested, [&](BrowserSnapshot& s) { s.geometry.offsetY = nan; }, false},
        {"empty content", requested, [](BrowserSnapshot& s) { s.contentRect.height = 0; }, false},
        {"image not at device scale", requested, [](BrowserSnapshot& s) { s.imageWidth = 8; }, false},
        {"image one pixel off", requested, [](BrowserSnapshot& s) { s.imageHeight = 13; }, true},
        {"no image", requested, [](BrowserSnapshot& s) { s.imageWidth = 0, s.contentRect.width = 0.1; }, false},
        {"mobile 390 × 844 at scale 3", mobile, mobileSnapshot, true},
        {"mobile image not at device scale",
         mobile,
         [&](BrowserSnapshot& s) { mobileSnapshot(s), s.imageHeight = 2000; },
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        BrowserSnapshot snapshot = test::sampleSnapshot();
        row.edit(snapshot);
        try {
            EXPECT_EQ(&snapshot.checkGeometry(row.requested), &snapshot);
            EXPECT_TRUE(row.passes);
        } catch (const BridgeFailure& failure) {
            EXPECT_FALSE(row.passes);
            EXPECT_EQ(failure, BridgeFailure(bridge_text::unsupportedGeometry, bridge_code::unsupportedGeometry));
        }
    }
}

TEST(BrowserSnapshot, roundTripsLeavingTheImageWhereItLiesAndRequiresItsPageTree)
{
    const BrowserSnapshot snapshot = test::sampleSnapshot();
    const test::ParsedJson parsed(writeJson(snapshot.encode()));
    WireSnapshotParts parts;
    BrowserSnapshot decoded = BrowserSnapshot::decode(parsed.value(), parts);
    EXPECT_TRUE(decoded.imageBase64.empty()) << "the decoder copies no image";
    EXPECT_EQ(parts.imageBase64, snapshot.imageBase64);
    EXPECT_EQ(parts.pageTreeLength, snapshot.pageTree.sortedJSONLength());
    decoded.imageBase64 = parts.imageBase64;
    EXPECT_EQ(decoded, snapshot);

    nlohmann::json withoutTree = snapshot.encode();
    withoutTree.erase("pageTree");
    const test::ParsedJson broken(writeJson(withoutTree));
    EXPECT_THROW(BrowserSnapshot::decode(broken.value(), parts), WireDecodingError);
}

} // namespace
} // namespace tavlen
