#include "Base64.h"
#include "BenchPage.h"
#include "MainBundle.h"
#include "PageEvidenceProjection.h"
#include "Png.h"
#include "PreparedPageEvidence.h"
#include "StepsScreenshot.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

namespace tavlen {
namespace {

// A typical Read region: a block of the page in the second screen.
constexpr BrowserRect region{200, 1400, 800, 600};
constexpr std::uint32_t cropX = 200, cropY = 1400, cropW = 800, cropH = 600;
constexpr int rowCount = 833;

BrowserPageTree::Node node(std::string id, std::string role, BrowserRect bounds)
{
    BrowserPageTree::Node node;
    node.id = std::move(id);
    node.kind = "element";
    node.frameId = "main";
    node.role = std::move(role);
    node.bounds = bounds;
    node.visibility = {true, true, std::nullopt, "known", "none"};
    node.source = "dom";
    return node;
}

// 5,000 nodes: a document with a table of 833 rows down the whole page, each a row header, three cells with
// text and a link named by its attribute, and a footer line.
BrowserPageTree pageTree()
{
    BrowserPageTree tree;
    tree.snapshotId = "snapshot";
    tree.startedAt = "2026-03-01T10:00:00.000Z";
    tree.finishedAt = "2026-03-01T10:00:01.500Z";
    tree.status = "complete";
    BrowserPageTree::Node document = node("doc", "RootWebArea", {0, 0, benchPageWidth, benchPageHeight});
    document.kind = "document";
    tree.nodes.push_back(document);
    for (int row = 0; row < rowCount; ++row) {
        const double y = 100 + 19.0 * row;
        const std::string rowID = "r" + std::to_string(row);
        tree.nodes[0].children.push_back(rowID);
        tree.nodes.push_back(node(rowID, "row", {40, y, 1200, 18}));
        const std::size_t rowAt = tree.nodes.size() - 1;
        for (int column = 0; column < 5; ++column) {
            const std::string id = rowID + "c" + std::to_string(column);
            tree.nodes[rowAt].children.push_back(id);
            const BrowserRect box{40 + 240.0 * column, y + 1, 200, 16};
            BrowserPageTree::Node cell = node(id, column == 0 ? "rowheader" : column == 4 ? "link" : "cell", box);
            if (column == 4) {
                cell.name = "Details for item " + std::to_string(row);
                cell.nameSource = "attribute";
            } else {
                cell.text =
                    "Item " + std::to_string(row) + ", column " + std::to_string(column) + ": 42.50 \xE2\x82\xAC";
                cell.fragments = {{0, static_cast<std::int64_t>(cell.text->size()) - 2, box}};
                cell.structure = BrowserPageTree::Structure{
                    std::nullopt, row + 1, column + 1, 1, 1, std::vector<std::string>{rowID + "c0"}};
            }
            tree.nodes.push_back(cell);
        }
    }
    BrowserPageTree::Node footer = node("footer", "paragraph", {40, 15950, 600, 16});
    footer.text = "Prices include VAT";
    footer.fragments = {{0, 18, {40, 15950, 600, 16}}};
    tree.nodes[0].children.push_back("footer");
    tree.nodes.push_back(footer);
    return tree;
}

const StepsScreenshot& screenshot()
{
    static const std::shared_ptr<const StepsScreenshot> shared = [] {
        overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR));
        BrowserSnapshot snapshot;
        snapshot.url = "https://shop.example/prices";
        snapshot.contentRect = {0, 0, benchPageWidth, benchPageHeight};
        snapshot.imageWidth = benchPageWidth;
        snapshot.imageHeight = benchPageHeight;
        snapshot.imageBase64 = base64Encode(benchPagePng());
        snapshot.pageTree = pageTree();
        snapshot.snapshotID = "snapshot";
        snapshot.capturedAt = "2026-03-01T10:00:01.500Z";
        return StepsScreenshot::make(snapshot);
    }();
    return *shared;
}

std::vector<std::uint8_t> cropPixels(const RgbaImage& image)
{
    std::vector<std::uint8_t> pixels(std::size_t{cropW} * cropH * 4);
    for (std::uint32_t row = 0; row < cropH; ++row) {
        std::memcpy(&pixels[std::size_t{row} * cropW * 4],
                    &image.pixels[(std::size_t{cropY + row} * image.width + cropX) * 4],
                    std::size_t{cropW} * 4);
    }
    return pixels;
}

// The whole evidence of the region: crop, PNG and projection of the 5,000-node tree.
void BM_PageEvidence_Region(benchmark::State& state)
{
    const StepsScreenshot& shot = screenshot();
    PreparedPageEvidence evidence;
    for (auto _ : state) {
        evidence = PreparedPageEvidence::make(shot, region);
        benchmark::DoNotOptimize(evidence);
    }
    state.counters["png_bytes"] = static_cast<double>(evidence.png.size());
    state.counters["tree_bytes"] = static_cast<double>(evidence.treeJSON.size());
}

// The projection alone, for the same region, and for the whole page (every node in the crop: the budget cuts).
void BM_PageEvidence_Projection(benchmark::State& state)
{
    const StepsScreenshot& shot = screenshot();
    const BrowserRect crop = state.range(0) == 0 ? region : BrowserRect{0, 0, benchPageWidth, benchPageHeight};
    std::string tree;
    for (auto _ : state) {
        tree = PageEvidenceProjection::project(shot, crop);
        benchmark::DoNotOptimize(tree);
    }
    state.counters["tree_bytes"] = static_cast<double>(tree.size());
}

// Baseline: libspng alone decoding the same crop's PNG and encoding its pixels again, default settings.
void BM_Baseline_SpngDecodeEncode_Crop(benchmark::State& state)
{
    const std::vector<std::uint8_t> pixels = cropPixels(screenshot().image());
    const std::string png = spngBareEncode(pixels.data(), pixels.size(), cropW, cropH);
    std::string encoded;
    for (auto _ : state) {
        const std::vector<std::uint8_t> decoded = spngBareDecode(png);
        encoded = spngBareEncode(decoded.data(), decoded.size(), cropW, cropH);
        benchmark::DoNotOptimize(encoded);
    }
    state.counters["png_bytes"] = static_cast<double>(encoded.size());
}

// Baseline: libspng alone cutting the crop out of the decoded page and encoding it, default settings.
void BM_Baseline_SpngEncode_Crop(benchmark::State& state)
{
    const RgbaImage& image = screenshot().image();
    std::string encoded;
    for (auto _ : state) {
        const std::vector<std::uint8_t> pixels = cropPixels(image);
        encoded = spngBareEncode(pixels.data(), pixels.size(), cropW, cropH);
        benchmark::DoNotOptimize(encoded);
    }
    state.counters["png_bytes"] = static_cast<double>(encoded.size());
}

BENCHMARK(BM_PageEvidence_Region)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageEvidence_Projection)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_SpngDecodeEncode_Crop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_SpngEncode_Crop)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavlen
