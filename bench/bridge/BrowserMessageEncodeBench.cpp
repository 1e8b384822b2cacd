// What sending a message to Chrome costs on the thread that sends it: the request encoded and put through the same
// check as a received frame. The request is the largest message Tavlen sends: its page address is the only text of
// any length in it, and the check refuses one longer than 8,192 units. Arguments: the length of the address.

#include "BrowserMessage.h"
#include "BrowserRequest.h"
#include "BrowserWireValidator.h"
#include "MainBundle.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace tavlen {
namespace {

BrowserMessage requestWithAddressOf(std::size_t length)
{
    std::string url = "https://shop.example/item?q=";
    url.append(length > url.size() ? length - url.size() : 0, 'a');
    BrowserRequest request;
    request.requestID = "0B7E5A3C-1D2F-4E6A-8B9C-7D6E5F4A3B2C";
    request.command = BrowserCommand::start;
    request.url = std::move(url);
    return BrowserMessage{BrowserMessage::Request{"9F2C4E1A-7B3D-4C5E-8A6F-0D1E2F3A4B5C",
                                                  std::string("6E1B0D2C-3A4F-4B5E-9C7D-8E9F0A1B2C3D"),
                                                  2,
                                                  std::move(request)}};
}

void encodeAndCheckRequest(benchmark::State& state)
{
    overrideMainBundleDirectory(std::filesystem::path(TAVLEN_BUNDLE_DIR));
    const BrowserWireValidator validator = BrowserWireValidator::load();
    const BrowserMessage message = requestWithAddressOf(static_cast<std::size_t>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string encoded = message.encodedBytes(validator.protocolVersion());
        benchmark::DoNotOptimize(validator.decode(encoded));
        bytes = encoded.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// 8,192 is the longest address the wire check lets through.
BENCHMARK(encodeAndCheckRequest)->Arg(100)->Arg(2048)->Arg(4096)->Arg(6144)->Arg(8192)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tavlen
