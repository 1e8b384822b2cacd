// The wire check of received frames beside a bare simdjson parse of the same bytes, on the two frames that matter:
// a 16 MiB capture (mostly image text) and a capture with a 5,000-node page tree.

#include "BenchFrames.h"
#include "BrowserFrame.h"
#include "BrowserMessage.h"
#include "BrowserWireReader.h"
#include "BrowserWireValidator.h"
#include "WireFormats.h"
#include "WireParser.h"

#include <benchmark/benchmark.h>

#include <simdjson.h>

#include <cstring>

namespace tavlen {
namespace {

// The frame as a channel hands it over: read into a buffer with padding behind it.
BrowserFrame paddedFrame(const std::string& body)
{
    BrowserFrame frame = BrowserFrame::withCapacity(body.size(), nullptr);
    std::memcpy(frame.writableData(), body.data(), body.size());
    return frame;
}

void perFrame(benchmark::State& state, const std::string& body)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
    state.counters["frameMiB"] = double(body.size()) / (1 << 20);
}

// Tavlen's receiving side: the whole check, the message decoded, the image copied once into it.
void receive(benchmark::State& state, const std::string& body)
{
    const BrowserFrame frame = paddedFrame(body);
    const BrowserWireValidator validator = BrowserWireValidator::load();
    BrowserWireReader reader;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.decode(validator, frame));
    }
    perFrame(state, body);
}

// The host's side: the same check, nothing copied, only the kind kept.
void checkAsTheHost(benchmark::State& state, const std::string& body)
{
    const BrowserFrame frame = paddedFrame(body);
    const BrowserWireValidator validator = BrowserWireValidator::load();
    BrowserWireReader reader;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.check(validator, frame));
    }
    perFrame(state, body);
}

// What simdjson alone costs on the same bytes, with a parser kept across frames.
void bareParse(benchmark::State& state, const std::string& body)
{
    const BrowserFrame frame = paddedFrame(body);
    simdjson::dom::parser parser;
    for (auto _ : state) {
        simdjson::dom::element root;
        if (parser.parse(reinterpret_cast<const std::uint8_t*>(frame.data()), frame.size(), false).get(root)) {
            state.SkipWithError("simdjson refused the frame");
        }
        benchmark::DoNotOptimize(root);
    }
    perFrame(state, body);
}

void receiveSnapshotFrame(benchmark::State& state)
{
    receive(state, bench::snapshotFrameBody());
}

void checkSnapshotFrameAsTheHost(benchmark::State& state)
{
    checkAsTheHost(state, bench::snapshotFrameBody());
}

void bareSimdjsonParseOfSnapshotFrame(benchmark::State& state)
{
    bareParse(state, bench::snapshotFrameBody());
}

void receivePageTreeFrame(benchmark::State& state)
{
    receive(state, bench::pageTreeFrameBody());
}

void checkPageTreeFrameAsTheHost(benchmark::State& state)
{
    checkAsTheHost(state, bench::pageTreeFrameBody());
}

void bareSimdjsonParseOfPageTreeFrame(benchmark::State& state)
{
    bareParse(state, bench::pageTreeFrameBody());
}

BENCHMARK(receiveSnapshotFrame)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(checkSnapshotFrameAsTheHost)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(bareSimdjsonParseOfSnapshotFrame)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(receivePageTreeFrame)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(checkPageTreeFrameAsTheHost)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(bareSimdjsonParseOfPageTreeFrame)->Unit(benchmark::kMillisecond)->MinTime(2);

// The "base64" format over a whole screenshot's text, read in place in the parsed frame.
void base64CheckOfSnapshotImage(benchmark::State& state)
{
    WireParser parser;
    const auto root = parser.parse(paddedFrame(bench::snapshotFrameBody()));
    const std::string_view image = root->at_pointer("/response/snapshot/imageBase64").get_string().value();
    if (!wire_format::isBase64(image)) {
        state.SkipWithError("the image is not base64");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(wire_format::isBase64(image));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
    state.counters["imageMiB"] = double(image.size()) / (1 << 20);
}

BENCHMARK(base64CheckOfSnapshotImage)->Unit(benchmark::kMillisecond);

// The page-tree check of a tree held in memory (the screenshot's), its encoded length computed.
void checkPageTreeInMemory(benchmark::State& state)
{
    const BrowserWireValidator validator = BrowserWireValidator::load();
    const BrowserMessage message = validator.decode(bench::pageTreeFrameBody());
    const auto& snapshot = *std::get<BrowserMessage::Response>(message.payload).response.snapshot;
    for (auto _ : state) {
        snapshot.pageTree.validate(snapshot.snapshotID);
    }
}

BENCHMARK(checkPageTreeInMemory)->Unit(benchmark::kMillisecond);

// The cost that every validation in Tavlen pays for re-reading both resources.
void loadValidator(benchmark::State& state)
{
    bench::pageTreeFrameBody();
    for (auto _ : state) {
        benchmark::DoNotOptimize(BrowserWireValidator::load());
    }
}

BENCHMARK(loadValidator)->Unit(benchmark::kMicrosecond);

void loadAndValidatePing(benchmark::State& state)
{
    bench::pageTreeFrameBody();
    const std::string frame =
        BrowserMessage{BrowserMessage::Ping{"9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C"}}.encodedBytes(1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(BrowserWireValidator::load().decode(frame));
    }
}

BENCHMARK(loadAndValidatePing)->Unit(benchmark::kMicrosecond);

void validatePingWithKeptValidatorAndReader(benchmark::State& state)
{
    bench::pageTreeFrameBody();
    const BrowserWireValidator validator = BrowserWireValidator::load();
    const BrowserFrame frame =
        paddedFrame(BrowserMessage{BrowserMessage::Ping{"9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C"}}.encodedBytes(1));
    BrowserWireReader reader;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.decode(validator, frame));
    }
}

BENCHMARK(validatePingWithKeptValidatorAndReader)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tavlen
