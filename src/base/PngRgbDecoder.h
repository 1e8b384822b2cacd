#pragma once

#include "Png.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavlen {

// The decoder of the images captures produce: 8-bit RGB or RGBA, not interlaced, no transparency chunk. The
// compressed rows are inflated in one pass (libdeflate) into the far end of the RGBA bitmap, then unfiltered and
// spread into RGBA from the front, so nothing beyond the bitmap is held. Nullopt when the image is of another
// kind (decodePng then reads it with the general decoder); throws PngError for a broken image of this kind: a
// bad chunk checksum, a truncated or corrupt stream, an unknown row filter. The header's size is checked against
// maxPixels before anything is allocated.
std::optional<RgbaImage> decodeRgbPng(std::string_view bytes, std::uint64_t maxPixels);

} // namespace tavlen
