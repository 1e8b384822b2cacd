#include "BrowserSnapshot.h"

#include "BridgeFailure.h"
#include "WireCoding.h"
#include "WireReading.h"
#include "WireSnapshotParts.h"

#include <cmath>

namespace tavlen {

namespace {

constexpr double zoomTolerance = 0.0001;
constexpr double scaleTolerance = 0.0001;
constexpr double pixelTolerance = 1;

bool geometryKeeps(const BrowserSnapshot& snapshot, const BrowserCaptureSettings& requested)
{
    const BrowserGeometry& g = snapshot.geometry;
    const BrowserRect& c = snapshot.contentRect;
    for (double number : {g.width, g.height, g.pageX, g.pageY, g.offsetX, g.offsetY, g.scale, g.zoom}) {
        if (!std::isfinite(number)) {
            return false;
        }
    }
    for (double number : {c.x, c.y, c.width, c.height}) {
        if (!std::isfinite(number)) {
            return false;
        }
    }
    if (!(g.width > 0 && g.height > 0 && g.scale > 0)) {
        return false;
    }
    const double factor = requested.mobile ? g.scale : 1;
    if (std::abs(g.width * factor - static_cast<double>(requested.width)) > pixelTolerance ||
        std::abs(g.height * factor - static_cast<double>(requested.height)) > pixelTolerance) {
        return false;
    }
    if (std::abs(g.zoom - 1) > zoomTolerance) {
        return false;
    }
    if (!requested.mobile && std::abs(g.scale - 1) > scaleTolerance) {
        return false;
    }
    if (!(c.width > 0 && c.height > 0)) {
        return false;
    }
    if (snapshot.imageWidth < 1 || snapshot.imageHeight < 1) {
        return false;
    }
    const double expectedWidth = requested.deviceScaleFactor * c.width;
    const double expectedHeight = requested.deviceScaleFactor * c.height;
    // A non-finite product never lies within the tolerance: the comparisons below are false for NaN.
    return std::abs(static_cast<double>(snapshot.imageWidth) - expectedWidth) <= pixelTolerance &&
           std::abs(static_cast<double>(snapshot.imageHeight) - expectedHeight) <= pixelTolerance;
}

} // namespace

nlohmann::json BrowserGeometry::encode() const
{
    return {{"width", width},
            {"height", height},
            {"pageX", pageX},
            {"pageY", pageY},
            {"offsetX", offsetX},
            {"offsetY", offsetY},
            {"scale", scale},
            {"zoom", zoom}};
}

BrowserGeometry BrowserGeometry::decode(const simdjson::dom::element& value)
{
    const wire::Members object(wire::requireObject(value, "A geometry"));
    return {wire::requiredDouble(object, "width"),
            wire::requiredDouble(object, "height"),
            wire::requiredDouble(object, "pageX"),
            wire::requiredDouble(object, "pageY"),
            wire::requiredDouble(object, "offsetX"),
            wire::requiredDouble(object, "offsetY"),
            wire::requiredDouble(object, "scale"),
            wire::requiredDouble(object, "zoom")};
}

const BrowserSnapshot& BrowserSnapshot::checkGeometry(const BrowserCaptureSettings& requested) const
{
    if (!geometryKeeps(*this, requested)) {
        throw BridgeFailure(bridge_text::unsupportedGeometry, bridge_code::unsupportedGeometry);
    }
    return *this;
}

nlohmann::json BrowserSnapshot::encode() const
{
    return {{"url", url},
            {"geometry", geometry.encode()},
            {"contentRect", contentRect.encode()},
            {"imageWidth", imageWidth},
            {"imageHeight", imageHeight},
            {"imageBase64", imageBase64},
            {"snapshotId", snapshotID},
            {"capturedAt", capturedAt},
            {"pageTree", pageTree.encode()}};
}

BrowserSnapshot BrowserSnapshot::decode(const simdjson::dom::element& value, WireSnapshotParts& parts)
{
    const wire::Members object(wire::requireObject(value, "A snapshot"));
    BrowserSnapshot snapshot;
    snapshot.url = wire::requiredText(object, "url");
    snapshot.geometry = BrowserGeometry::decode(wire::requiredObject(object, "geometry"));
    snapshot.contentRect = BrowserRect::decode(wire::requiredObject(object, "contentRect"));
    snapshot.imageWidth = wire::requiredInteger(object, "imageWidth");
    snapshot.imageHeight = wire::requiredInteger(object, "imageHeight");
    parts.imageBase64 = wire::requiredText(object, "imageBase64");
    snapshot.snapshotID = wire::requiredText(object, "snapshotId");
    snapshot.capturedAt = wire::requiredText(object, "capturedAt");
    const auto pageTree = wire::requiredObject(object, "pageTree");
    auto received = BrowserPageTree::decode(pageTree);
    snapshot.pageTree = std::move(received.tree);
    parts.pageTree = pageTree;
    parts.pageTreeLength = received.sortedJSONLength;
    return snapshot;
}

bool operator==(const BrowserSnapshot& a, const BrowserSnapshot& b)
{
    return wire::sameText(a.url, b.url) && a.geometry == b.geometry && a.contentRect == b.contentRect &&
           a.imageWidth == b.imageWidth && a.imageHeight == b.imageHeight && a.imageBase64 == b.imageBase64 &&
           a.pageTree == b.pageTree && wire::sameText(a.snapshotID, b.snapshotID) &&
           wire::sameText(a.capturedAt, b.capturedAt);
}

} // namespace tavlen
