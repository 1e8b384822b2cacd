#include "WireSamples.h"

#include "Base64.h"
#include "MainBundle.h"
#include "Png.h"
#include "ShippedConfiguration.h"

#include <gtest/gtest.h>

namespace tavlen::test {

namespace {

class BundleEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR)); }
};

[[maybe_unused]] const auto* const bundleEnvironment = ::testing::AddGlobalTestEnvironment(new BundleEnvironment);

BrowserRect rect(double x, double y, double w, double h)
{
    return {x, y, w, h};
}

} // namespace

BrowserCaptureSettings sampleCaptureSettings()
{
    return {320, 200, 2, false};
}

std::string pngBytes(std::uint32_t width, std::uint32_t height)
{
    RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0x7F);
    return encodePng(image);
}

BrowserPageTree samplePageTree(const std::string& snapshotID)
{
    BrowserPageTree tree;
    tree.snapshotId = snapshotID;
    tree.startedAt = "2026-03-01T10:00:00.000Z";
    tree.finishedAt = "2026-03-01T10:00:00.250Z";
    tree.status = "complete";

    BrowserPageTree::Node root;
    root.id = "n1";
    root.children = {"n2", "n3"};
    root.kind = "element";
    root.frameId = "main";
    root.bounds = rect(0, 0, 320, 600);
    root.visibility = {true, true, std::nullopt, "none", "none"};
    root.source = "dom";
    root.role = "table";
    root.name = "Prices / week";

    BrowserPageTree::Node cell;
    cell.id = "n2";
    cell.kind = "element";
    cell.frameId = "main";
    cell.bounds = rect(10, 20, 100, 16);
    cell.text = "Price \xF0\x9F\x98\x80 42 \xE2\x82\xAC"; // "Price 😀 42 €": the emoji takes two UTF-16 units
    cell.fragments = {{0, 5, rect(10, 20, 40, 16)}, {6, 2, rect(52, 20, 16, 16)}, {9, 4, rect(70, 20, 30, 16)}};
    cell.visibility = {true, true, rect(0, 0, 320, 200), "partial", "none"};
    cell.source = "text";
    cell.role = "cell";
    cell.description = "weekly price";
    cell.nameSource = "contents";
    cell.value = "42";
    cell.states = BrowserPageTree::States{"false", std::nullopt, true, std::nullopt, false, true, std::nullopt};
    cell.structure = BrowserPageTree::Structure{std::nullopt, 1, 2, 1, 1, std::vector<std::string>{"n1", "n3"}};

    BrowserPageTree::Node bare;
    bare.id = "n3";
    bare.kind = "text";
    bare.frameId = "main";
    bare.visibility = {false, true, std::nullopt, "clipped", "covered"};
    bare.source = "dom";
    bare.states = BrowserPageTree::States{};

    tree.nodes = {root, cell, bare};
    return tree;
}

BrowserSnapshot sampleSnapshot()
{
    BrowserSnapshot snapshot;
    snapshot.url = "https://example.com/prices?week=12";
    snapshot.geometry = {320, 200, 0, 0, 0, 0, 1, 1};
    snapshot.contentRect = rect(0, 0, 8, 6);
    snapshot.imageWidth = 16;
    snapshot.imageHeight = 12;
    snapshot.imageBase64 = base64Encode(pngBytes(16, 12));
    snapshot.snapshotID = "snapshot-1";
    snapshot.capturedAt = "2026-03-01T10:00:00.300Z";
    snapshot.pageTree = samplePageTree(snapshot.snapshotID);
    return snapshot;
}

BrowserStatus sampleStatus()
{
    return {"active", "session-17", true, 19, 1772359200.5, BrowserToolError{"stopped", "The tab was closed."}};
}

std::vector<NamedMessage> sampleMessages()
{
    using M = BrowserMessage;
    BrowserRequest status{requestID, BrowserCommand::status, std::nullopt, std::nullopt, std::nullopt};
    BrowserRequest start{
        requestID, BrowserCommand::start, std::nullopt, "https://example.com/a/b", sampleCaptureSettings()};
    BrowserRequest startWithoutViewport{
        requestID, BrowserCommand::start, std::nullopt, "http://example.com", std::nullopt};
    BrowserRequest capture{requestID, BrowserCommand::capturePage, "session-17", std::nullopt, std::nullopt};

    BrowserResponse idle{requestID,
                         BrowserStatus{"idle", std::nullopt, false, 20, std::nullopt, std::nullopt},
                         true,
                         std::nullopt,
                         std::nullopt};
    BrowserResponse failed{std::nullopt, sampleStatus(), false, std::nullopt, BrowserToolError{"busy", "Busy."}};
    BrowserResponse captured{requestID, sampleStatus(), true, sampleSnapshot(), std::nullopt};

    return {
        {"hello", M{M::Hello{"profile-a1", "Work", "2.3.0"}}},
        {"welcome", M{M::Welcome{connectionID, "1.4.0", true}}},
        {"selection", M{M::Selection{connectionID, false}}},
        {"ping", M{M::Ping{connectionID}}},
        {"pong", M{M::Pong{connectionID}}},
        {"status request without execution", M{M::Request{connectionID, std::nullopt, 1, status}}},
        {"start request with viewport", M{M::Request{connectionID, executionID, 2, start}}},
        {"start request without viewport", M{M::Request{connectionID, executionID, 3, startWithoutViewport}}},
        {"capture request", M{M::Request{connectionID, executionID, 4, capture}}},
        {"cancel", M{M::Cancel{connectionID, executionID, 5, "D1C2B3A4-5E6F-4A7B-8C9D-0E1F2A3B4C5D"}}},
        {"idle response without execution", M{M::Response{connectionID, std::nullopt, idle}}},
        {"failed response", M{M::Response{connectionID, executionID, failed}}},
        {"response with snapshot", M{M::Response{connectionID, executionID, captured}}},
        {"status", M{M::Status{connectionID, executionID, sampleStatus()}}},
        {"status without execution",
         M{M::Status{connectionID, std::nullopt, BrowserStatus::initial(shippedConfiguration().limits)}}},
        {"unavailable", M{M::Unavailable{"app_unavailable", "Open Tavlen to connect Chrome."}}},
    };
}

} // namespace tavlen::test
