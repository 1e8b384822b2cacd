#pragma once

#include <simdjson.h>

#include <cstddef>
#include <optional>
#include <string_view>

namespace tavlen {

// What decoding a received snapshot sets aside for the checks that follow the decoding, to be read where it lies
// instead of copied: the image text (the decoded snapshot's imageBase64 is left empty; whoever keeps the image
// copies it once) and the page tree as it arrived, with the length of its sorted encoding, computed as its nodes
// were decoded. Valid while the frame's parse is.
struct WireSnapshotParts
{
    std::string_view imageBase64;
    std::optional<simdjson::dom::element> pageTree;
    std::size_t pageTreeLength = 0;
};

} // namespace tavlen
