#include "DiscoveredModel.h"

#include "Utf8.h"

namespace tavlen {

bool operator==(const DiscoveredModel& a, const DiscoveredModel& b)
{
    if (!(a.selection == b.selection) || !textEqual(a.digest, b.digest) || a.bytes != b.bytes ||
        a.quantization.has_value() != b.quantization.has_value()) {
        return false;
    }
    return !a.quantization || textEqual(*a.quantization, *b.quantization);
}

} // namespace tavlen
