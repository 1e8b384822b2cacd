#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavlen {

// The size of the benchmarks' full-page screenshot: a long page at 1280 CSS pixels wide.
inline constexpr std::uint32_t benchPageWidth = 1280;
inline constexpr std::uint32_t benchPageHeight = 16000;

// A page-like screenshot as PNG (made once): white background, a coloured header band, grey rules every
// 600 pixels, and lines of "text" every 24 pixels from y 120, so it compresses the way a rendered page does.
const std::string& benchPagePng();

// libspng alone, as a baseline: RGBA8 pixels encoded with its default settings, and a PNG decoded to RGBA8.
std::string spngBareEncode(const void* pixels, std::size_t size, std::uint32_t width, std::uint32_t height);
std::vector<std::uint8_t> spngBareDecode(const std::string& png);

} // namespace tavlen
