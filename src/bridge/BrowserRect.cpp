#include "BrowserRect.h"

#include "WireCoding.h"
#include "WireReading.h"

namespace tavlen {

namespace {

// The same members from either reader: an nlohmann object, or the gathered members of a received one.
template <class Object> BrowserRect readRect(const Object& object)
{
    return {wire::requiredDouble(object, "x"),
            wire::requiredDouble(object, "y"),
            wire::requiredDouble(object, "width"),
            wire::requiredDouble(object, "height")};
}

} // namespace

nlohmann::json BrowserRect::encode() const
{
    return {{"x", x}, {"y", y}, {"width", width}, {"height", height}};
}

BrowserRect BrowserRect::decode(const simdjson::dom::element& value)
{
    return readRect(wire::Members(wire::requireObject(value, "A rectangle")));
}

BrowserRect BrowserRect::decodeStored(const nlohmann::json& value)
{
    return readRect(wire::requireObject(value, "A rectangle"));
}

} // namespace tavlen
