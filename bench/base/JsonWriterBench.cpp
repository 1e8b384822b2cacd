#include "JsonWriter.h"

#include <benchmark/benchmark.h>

#include <string>

namespace tavlen {
namespace {

// A page-tree-like document: a few thousand nodes with roles, texts, URLs, boxes and fragments.
nlohmann::json pageTreeDocument(int nodeCount)
{
    nlohmann::json nodes = nlohmann::json::array();
    for (int i = 0; i < nodeCount; ++i) {
        const double y = 18.5 * i + 0.25;
        nlohmann::json node = {
            {"id", i},
            {"parentId", i == 0 ? nlohmann::json(nullptr) : nlohmann::json(i / 4)},
            {"role", i % 7 == 0 ? "link" : "StaticText"},
            {"name",
             "Produkt " + std::to_string(i) +
                 " \xE2\x80\x93 Gr\xC3\xB6\xC3\x9F"
                 "e M"},
            {"text", "Price: " + std::to_string(i * 3) + ".99 \xE2\x82\xAC incl. VAT / free shipping"},
            {"href", "https://shop.example.org/products/" + std::to_string(i) + "?ref=list&page=2"},
            {"bounds", {{"x", 16.0}, {"y", y}, {"width", 412.3333333333333}, {"height", 18.0}}},
            {"visibility", {{"rendered", true}, {"cssVisible", i % 11 != 0}, {"clipping", "known"}}},
            {"fragments",
             nlohmann::json::array({{{"start", 0}, {"length", 12}, {"x", 16.0}, {"y", y}, {"width", 80.125}},
                                    {{"start", 13}, {"length", 30}, {"x", 97.5}, {"y", y}, {"width", 200.0}}})},
        };
        nodes.push_back(std::move(node));
    }
    return {{"snapshotId", "6F9619FF-8B86-D011-B42D-00C04FC964FF"},
            {"status", "complete"},
            {"startedAt", "2024-05-01T10:00:00.123Z"},
            {"reasons", nlohmann::json::array()},
            {"nodes", std::move(nodes)}};
}

void BM_JsonWriter_PageTree(benchmark::State& state)
{
    const nlohmann::json document = pageTreeDocument(static_cast<int>(state.range(0)));
    std::size_t size = 0;
    for (auto _ : state) {
        std::string text = writeJson(document);
        size = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["output_bytes"] = static_cast<double>(size);
}

// Baseline: nlohmann's own compact serialisation of the same value.
void BM_Baseline_NlohmannDump_PageTree(benchmark::State& state)
{
    const nlohmann::json document = pageTreeDocument(static_cast<int>(state.range(0)));
    std::size_t size = 0;
    for (auto _ : state) {
        std::string text = document.dump();
        size = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["output_bytes"] = static_cast<double>(size);
}

BENCHMARK(BM_JsonWriter_PageTree)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_NlohmannDump_PageTree)->Arg(3000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tavlen
