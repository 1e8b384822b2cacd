#pragma once

#include "ModelSelection.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tavlen {

// One model offered by a provider's model listing; identified by its selection.
struct DiscoveredModel
{
    ModelSelection selection;
    std::string digest;
    std::int64_t bytes = 0;
    std::optional<std::string> quantization;

    // All four fields; texts by canonical equivalence.
    friend bool operator==(const DiscoveredModel& a, const DiscoveredModel& b);
};

} // namespace tavlen
