#include "BrowserRect.h"

#include "WireReading.h"

namespace tavlen {

nlohmann::json BrowserRect::encode() const
{
    return {{"x", x}, {"y", y}, {"width", width}, {"height", height}};
}

BrowserRect BrowserRect::decode(const simdjson::dom::element& value)
{
    const wire::Members object(wire::requireObject(value, "A rectangle"));
    return {wire::requiredDouble(object, "x"),
            wire::requiredDouble(object, "y"),
            wire::requiredDouble(object, "width"),
            wire::requiredDouble(object, "height")};
}

} // namespace tavlen
