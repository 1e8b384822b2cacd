#pragma once

#include "WireElement.h"

#include <nlohmann/json.hpp>

namespace tavlen {

// A rectangle on the page, in CSS pixels; used for the content rectangle and throughout the page tree.
struct BrowserRect
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    nlohmann::json encode() const;
    // From a received frame, and from a stored document. Throw WireDecodingError.
    static BrowserRect decode(const simdjson::dom::element& value);
    static BrowserRect decodeStored(const nlohmann::json& value);

    bool operator==(const BrowserRect&) const = default;
};

} // namespace tavlen
