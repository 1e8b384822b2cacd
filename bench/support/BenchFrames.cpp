#include "BenchFrames.h"

#include "Base64.h"
#include "BrowserConfiguration.h"
#include "BrowserMessage.h"
#include "BrowserWireValidator.h"
#include "JsonWriter.h"
#include "MainBundle.h"
#include "Png.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace tavlen::bench {

namespace {

constexpr const char* connectionID = "9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C";
constexpr const char* executionID = "6E1B0D2C-3A4F-4B5E-9C7D-8E9F0A1B2C3D";
constexpr const char* requestID = "0B7E5A3C-1D2F-4E6A-8B9C-7D6E5F4A3B2C";
constexpr std::size_t pageTreeNodes = 5000;

std::string responseFrame(BrowserSnapshot snapshot)
{
    overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR));
    const BrowserMessage message{BrowserMessage::Response{
        connectionID,
        executionID,
        BrowserResponse{requestID,
                        BrowserStatus{"active", "session-1", true, 19, std::nullopt, std::nullopt},
                        true,
                        std::move(snapshot),
                        std::nullopt}}};
    std::string body = writeJson(message.encode(BrowserConfiguration::load().protocolVersion));
    BrowserWireValidator::load().decode(body); // every benchmark relays a frame that passes
    return body;
}

BrowserPageTree richTree(const std::string& snapshotID)
{
    BrowserPageTree tree;
    tree.snapshotId = snapshotID;
    tree.startedAt = "2026-03-01T10:00:00.000Z";
    tree.finishedAt = "2026-03-01T10:00:01.500Z";
    tree.status = "complete";
    for (std::size_t i = 0; i < pageTreeNodes; ++i) {
        BrowserPageTree::Node node;
        node.id = "node-" + std::to_string(i);
        for (std::size_t child : {2 * i + 1, 2 * i + 2}) {
            if (child < pageTreeNodes) {
                node.children.push_back("node-" + std::to_string(child));
            }
        }
        node.kind = i % 3 == 0 ? "element" : "text";
        node.frameId = "main";
        node.bounds = BrowserRect{double(i % 40) * 30, double(i) * 18.5, 240.25, 18};
        node.text = "Row " + std::to_string(i) + ": weekly price 42.50 \xE2\x82\xAC, stock available, delivery 2 days";
        node.fragments = {{0, 10, {1, 2, 50, 18}}, {10, 20, {60, 2, 120, 18}}};
        node.visibility = {true, true, BrowserRect{0, 0, 1280, 800}, "none", "none"};
        node.source = "dom";
        node.role = i % 5 == 0 ? "cell" : "generic";
        node.name = "Price cell " + std::to_string(i);
        if (i % 5 == 0) {
            node.states =
                BrowserPageTree::States{"false", std::nullopt, false, std::nullopt, false, true, std::nullopt};
            node.structure = BrowserPageTree::Structure{
                std::nullopt, std::int64_t(i / 5), 2, 1, 1, std::vector<std::string>{"node-0"}};
        }
        tree.nodes.push_back(std::move(node));
    }
    return tree;
}

BrowserSnapshot snapshotOf(const RgbaImage& image, BrowserPageTree tree)
{
    BrowserSnapshot snapshot;
    snapshot.url = "https://example.com/prices";
    snapshot.geometry = {1024, 768, 0, 0, 0, 0, 1, 1};
    snapshot.contentRect = {0, 0, double(image.width), double(image.height)};
    snapshot.imageWidth = image.width;
    snapshot.imageHeight = image.height;
    snapshot.imageBase64 = base64Encode(encodePng(image));
    snapshot.snapshotID = tree.snapshotId;
    snapshot.capturedAt = "2026-03-01T10:00:01.600Z";
    snapshot.pageTree = std::move(tree);
    return snapshot;
}

} // namespace

const std::string& snapshotFrameBody()
{
    static const std::string body = [] {
        RgbaImage image;
        image.width = 2048;
        image.height = 1536;
        image.pixels.resize(std::size_t{image.width} * image.height * 4);
        std::mt19937 random(7);
        for (auto& byte : image.pixels) {
            byte = static_cast<std::uint8_t>(random());
        }
        BrowserPageTree tree;
        tree.snapshotId = "snapshot-1";
        tree.startedAt = "2026-03-01T10:00:00.000Z";
        tree.finishedAt = "2026-03-01T10:00:00.250Z";
        tree.status = "unavailable";
        tree.reasons = {"page tree not collected"};
        return responseFrame(snapshotOf(image, std::move(tree)));
    }();
    return body;
}

const std::string& pageTreeFrameBody()
{
    static const std::string body = [] {
        RgbaImage image;
        image.width = 64;
        image.height = 48;
        image.pixels.assign(std::size_t{image.width} * image.height * 4, 0x7F);
        return responseFrame(snapshotOf(image, richTree("snapshot-tree")));
    }();
    return body;
}

std::string emptyObjectsFrameBody(std::size_t bytes)
{
    std::string body = "[";
    body.reserve(bytes);
    while (body.size() + 4 < bytes) {
        body += body.size() > 1 ? ",{}" : "{}";
    }
    return body + "]";
}

std::string zerosFrameBody(std::size_t bytes)
{
    std::string body = "[0";
    body.reserve(bytes);
    while (body.size() + 3 < bytes) {
        body += ",0";
    }
    return body + "]";
}

std::string repeatedKeysFrameBody(std::size_t bytes)
{
    // "k0000000":0 is 14 bytes with its comma; every key comes twice, the second round after the first.
    const std::size_t keys = bytes / 14 / 2;
    std::string body = "{";
    body.reserve(bytes);
    char member[32];
    for (int round = 0; round < 2; ++round) {
        for (std::size_t i = 0; i < keys; ++i) {
            std::snprintf(member, sizeof member, "%s\"k%07zu\":0", body.size() > 1 ? "," : "", i);
            body += member;
        }
    }
    return body + "}";
}

std::string framed(const std::string& body)
{
    const auto length = static_cast<std::uint32_t>(body.size());
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &length, 4);
    return bytes + body;
}

} // namespace tavlen::bench
