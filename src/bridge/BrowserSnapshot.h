#pragma once

#include "BrowserCaptureSettings.h"
#include "BrowserPageTree.h"
#include "BrowserRect.h"
#include "WireElement.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>

namespace tavlen {

struct WireSnapshotParts;

// The page's viewport as Chrome reports it.
struct BrowserGeometry
{
    double width = 0;
    double height = 0;
    double pageX = 0;
    double pageY = 0;
    double offsetX = 0;
    double offsetY = 0;
    double scale = 1;
    double zoom = 1;

    nlohmann::json encode() const;
    static BrowserGeometry decode(const simdjson::dom::element& value); // throws WireDecodingError

    bool operator==(const BrowserGeometry&) const = default;
};

// One captured page: a full-page PNG in standard base64 with its geometry and page tree.
struct BrowserSnapshot
{
    std::string url;
    BrowserGeometry geometry;
    BrowserRect contentRect;
    std::int64_t imageWidth = 0;
    std::int64_t imageHeight = 0;
    std::string imageBase64;
    BrowserPageTree pageTree;
    std::string snapshotID;
    std::string capturedAt;

    // Returns the snapshot when its geometry keeps the requested viewport and pixel scale; otherwise throws
    // BridgeFailure "Chrome did not maintain …" code "unsupported_geometry".
    const BrowserSnapshot& checkGeometry(const BrowserCaptureSettings& requested) const;

    // Every key is required and always written.
    nlohmann::json encode() const;
    // Reads every member but copies neither the image text nor, past the page-tree cap, the tree's nodes: the image
    // is left empty and both are set aside in `parts` (WireSnapshotParts.h). Throws WireDecodingError.
    static BrowserSnapshot decode(const simdjson::dom::element& value, WireSnapshotParts& parts);

    friend bool operator==(const BrowserSnapshot& a, const BrowserSnapshot& b);
};

} // namespace tavlen
