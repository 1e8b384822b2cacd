#include "PageEvidenceSupport.h"

#include "Base64.h"
#include "Png.h"

#include <simdjson.h>

namespace tavlen::test {

nlohmann::json pageNode(nlohmann::json members)
{
    nlohmann::json node = {
        {"kind", "element"},
        {"frameId", "main"},
        {"source", "dom"},
        {"children", nlohmann::json::array()},
        {"fragments", nlohmann::json::array()},
        {"bounds", nullptr},
        {"visibility",
         {{"rendered", true}, {"cssVisible", true}, {"clip", nullptr}, {"clipping", "known"}, {"occlusion", "none"}}},
    };
    if (members.contains("visibility")) {
        node["visibility"].update(members["visibility"]);
        members.erase("visibility");
    }
    node.update(members);
    return node;
}

std::shared_ptr<const StepsScreenshot>
pageScreenshot(std::uint32_t width, std::uint32_t height, const BrowserRect& contentRect, const nlohmann::json& nodes)
{
    RgbaImage image{width, height, std::vector<std::uint8_t>(std::size_t{width} * height * 4, 0xFF)};
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* pixel = &image.pixels[(std::size_t{y} * width + x) * 4];
            pixel[0] = static_cast<std::uint8_t>(x);
            pixel[1] = static_cast<std::uint8_t>(y);
            pixel[2] = static_cast<std::uint8_t>((x >> 8) | ((y >> 8) << 4));
        }
    }
    nlohmann::json tree = {{"snapshotId", "snapshot"},
                           {"startedAt", "2026-01-02T03:04:05.000Z"},
                           {"finishedAt", "2026-01-02T03:04:06.000Z"},
                           {"status", "complete"},
                           {"reasons", nlohmann::json::array()},
                           {"nodes", nlohmann::json::array()}};
    for (const auto& node : nodes) {
        tree["nodes"].push_back(pageNode(node));
    }
    BrowserSnapshot snapshot;
    snapshot.url = "https://shop.example/spring";
    snapshot.contentRect = contentRect;
    snapshot.imageWidth = width;
    snapshot.imageHeight = height;
    snapshot.imageBase64 = base64Encode(encodePng(image));
    simdjson::dom::parser parser;
    const simdjson::padded_string text(tree.dump());
    snapshot.pageTree = BrowserPageTree::decode(parser.parse(text).value()).tree;
    snapshot.snapshotID = "snapshot";
    snapshot.capturedAt = "2026-01-02T03:04:06.000Z";
    return StepsScreenshot::make(snapshot);
}

BrowserRect rectFrom(const nlohmann::json& object)
{
    return {object.at("x").get<double>(),
            object.at("y").get<double>(),
            object.at("width").get<double>(),
            object.at("height").get<double>()};
}

} // namespace tavlen::test
