// A captured page, from the frame that carries it to the evidence a model reads: the frame passes the wire check,
// its snapshot becomes a screenshot, and regions of it become a cropped PNG and the page-tree projection. Only the
// documented failures escape; evidence keeps its size limit, its PNG has the crop's size and its tree is JSON.
#include "BridgeFailure.h"
#include "BrowserWireReader.h"
#include "FuzzInput.h"
#include "JsonParse.h"
#include "PageEvidenceProjection.h"
#include "PreparedPageEvidence.h"
#include "ReadingFailure.h"
#include "StepsScreenshot.h"
#include "WireCoding.h"
#include "WireFuzzing.h"

#include <cmath>

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static BrowserWireReader reader;
    const BrowserFrame frame = fuzz::receivedFrame(fuzz::textOf(data, size));
    std::optional<BrowserSnapshot> snapshot;
    try {
        BrowserMessage message = reader.decode(fuzz::bundleValidator(), frame);
        if (auto* response = std::get_if<BrowserMessage::Response>(&message.payload)) {
            snapshot = std::move(response->response.snapshot);
        }
    } catch (const BridgeFailure&) {
    } catch (const WireDecodingError&) {
    }
    if (!snapshot) {
        return 0;
    }
    std::shared_ptr<const StepsScreenshot> screenshot;
    try {
        screenshot = StepsScreenshot::make(*snapshot);
    } catch (const BridgeFailure&) {
        return 0;
    } catch (const ReadingFailure&) {
        return 0;
    }
    const double width = screenshot->image().width;
    const double height = screenshot->image().height;
    const BrowserRect regions[] = {
        {0, 0, width, height},
        {width / 4, height / 3, width / 2, height / 3},
        {width - 1.5, height - 0.5, 3, 2},
        {-width, -height, width * 3, height * 3},
        {width / 3, 0, -width / 4, height},
    };
    for (const BrowserRect& region : regions) {
        PreparedPageEvidence evidence;
        try {
            evidence = PreparedPageEvidence::make(*screenshot, region);
        } catch (const ReadingFailure&) {
            continue;
        }
        const BrowserRect crop = PreparedPageEvidence::cropRect(*screenshot, region);
        const RgbaImage cropped = decodePng(evidence.png, StepsScreenshot::maximumPixels);
        fuzz::require(cropped.width == crop.width && cropped.height == crop.height, "the PNG has the crop's size");
        fuzz::require(evidence.treeJSON.size() <= PageEvidenceProjection::maximumBytes, "the tree within its limit");
        const std::optional<nlohmann::json> tree = parseJson(evidence.treeJSON);
        fuzz::require(tree && tree->is_object() && tree->contains("nodes"), "the tree is a JSON object of nodes");
    }
    return 0;
}
