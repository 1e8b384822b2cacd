#include "Base64.h"
#include "BrowserConfiguration.h"
#include "BrowserMessage.h"
#include "BrowserWireValidator.h"
#include "MainBundle.h"

#include <benchmark/benchmark.h>

#include <random>

namespace tavlen {
namespace {

constexpr std::size_t imageBytes = 16 * 1024 * 1024;
constexpr std::size_t nodeCount = 5000;

// A PNG-shaped image: the real signature and IHDR, then incompressible bytes. Validation only reads the header.
std::string imageOfSize(std::uint32_t width, std::uint32_t height)
{
    std::string bytes("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16);
    for (std::uint32_t value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    }
    std::mt19937_64 random(42);
    while (bytes.size() < imageBytes) {
        bytes.push_back(static_cast<char>(random() & 0xFF));
    }
    return bytes;
}

BrowserPageTree richTree(const std::string& snapshotID)
{
    BrowserPageTree tree;
    tree.snapshotId = snapshotID;
    tree.startedAt = "2026-03-01T10:00:00.000Z";
    tree.finishedAt = "2026-03-01T10:00:01.500Z";
    tree.status = "complete";
    for (std::size_t i = 0; i < nodeCount; ++i) {
        BrowserPageTree::Node node;
        node.id = "node-" + std::to_string(i);
        for (std::size_t child : {2 * i + 1, 2 * i + 2}) {
            if (child < nodeCount) {
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

const std::string& snapshotFrame()
{
    static const std::string frame = [] {
        overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR));
        BrowserSnapshot snapshot;
        snapshot.url = "https://example.com/prices";
        snapshot.geometry = {1280, 800, 0, 0, 0, 0, 1, 1};
        snapshot.contentRect = {0, 0, 1280, 8000};
        snapshot.imageWidth = 1280;
        snapshot.imageHeight = 8000;
        snapshot.imageBase64 = base64Encode(imageOfSize(1280, 8000));
        snapshot.snapshotID = "snapshot-bench";
        snapshot.capturedAt = "2026-03-01T10:00:01.600Z";
        snapshot.pageTree = richTree(snapshot.snapshotID);
        BrowserResponse response{"0B7E5A3C-1D2F-4E6A-8B9C-7D6E5F4A3B2C",
                                 BrowserStatus{"active", "session-1", false, 19, std::nullopt, std::nullopt},
                                 true,
                                 std::move(snapshot),
                                 std::nullopt};
        BrowserMessage message{BrowserMessage::Response{
            "9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C", "6E1B0D2C-3A4F-4B5E-9C7D-8E9F0A1B2C3D", std::move(response)}};
        return message.encodedBytes(BrowserConfiguration::load().protocolVersion);
    }();
    return frame;
}

void validateSnapshotFrame(benchmark::State& state)
{
    const std::string& frame = snapshotFrame();
    const BrowserWireValidator validator = BrowserWireValidator::load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(validator.decode(frame));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
    state.counters["frameMiB"] = double(frame.size()) / (1024 * 1024);
}

BENCHMARK(validateSnapshotFrame)->Unit(benchmark::kMillisecond)->MinTime(3);

// Tavlen's receive path: a fresh validator (both resources re-read) for every frame.
void loadAndValidateSnapshotFrame(benchmark::State& state)
{
    const std::string& frame = snapshotFrame();
    for (auto _ : state) {
        benchmark::DoNotOptimize(BrowserWireValidator::load().decode(frame));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}

BENCHMARK(loadAndValidateSnapshotFrame)->Unit(benchmark::kMillisecond)->MinTime(3);

void bareParseOfSnapshotFrame(benchmark::State& state)
{
    const std::string& frame = snapshotFrame();
    for (auto _ : state) {
        benchmark::DoNotOptimize(nlohmann::json::parse(frame));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}

BENCHMARK(bareParseOfSnapshotFrame)->Unit(benchmark::kMillisecond)->MinTime(3);

// The cost that every validation in Tavlen pays for re-reading both resources.
void loadValidator(benchmark::State& state)
{
    snapshotFrame();
    for (auto _ : state) {
        benchmark::DoNotOptimize(BrowserWireValidator::load());
    }
}

BENCHMARK(loadValidator)->Unit(benchmark::kMicrosecond);

void loadAndValidatePing(benchmark::State& state)
{
    snapshotFrame();
    const std::string frame = BrowserMessage{BrowserMessage::Ping{"9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C"}}.encodedBytes(
        BrowserConfiguration::load().protocolVersion);
    for (auto _ : state) {
        benchmark::DoNotOptimize(BrowserWireValidator::load().decode(frame));
    }
}

BENCHMARK(loadAndValidatePing)->Unit(benchmark::kMicrosecond);

void validatePingWithKeptValidator(benchmark::State& state)
{
    snapshotFrame();
    const BrowserWireValidator validator = BrowserWireValidator::load();
    const std::string frame = BrowserMessage{BrowserMessage::Ping{"9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C"}}.encodedBytes(
        BrowserConfiguration::load().protocolVersion);
    for (auto _ : state) {
        benchmark::DoNotOptimize(validator.decode(frame));
    }
}

BENCHMARK(validatePingWithKeptValidator)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tavlen
