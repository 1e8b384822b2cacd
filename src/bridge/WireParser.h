#pragma once

#include "BrowserFrame.h"
#include "WireElement.h"

#include <memory>
#include <optional>

namespace simdjson::dom {
class parser;
} // namespace simdjson::dom

namespace tavlen {

// Reads received frames as JSON where they lie, with a simdjson DOM parser whose buffers grow to the largest frame
// and are reused for the next. Frames read the way the JSON reader of stored documents (parseJson) reads text, so a
// frame means the same to either program and to any later reader: a leading byte-order mark is skipped, an integer
// beyond 64 bits reads as the nearest double, nesting deeper than 64 arrays and objects is refused, and of a key
// given twice in one object the decoders and the schema see the last value (WireReading.h).
//
// The parsed value lives in the parser: it stays valid until the next parse. One parser per thread; Tavlen and the
// host keep one per channel.
class WireParser
{
public:
    WireParser();
    ~WireParser();
    WireParser(const WireParser&) = delete;
    WireParser& operator=(const WireParser&) = delete;

    // The frame's top-level value, or nullopt when the bytes are not one JSON text. A frame without padding (built
    // in memory) is copied first; a padded one is read in place.
    std::optional<simdjson::dom::element> parse(const BrowserFrame& frame);

private:
    std::unique_ptr<simdjson::dom::parser> m_parser;
};

} // namespace tavlen
