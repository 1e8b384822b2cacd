#pragma once

#include "MonitorSchedule.h"
#include "Uuid.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// One monitor as stored in the workspace: a plain value, copied freely.
struct Monitor
{
    Uuid id;
    std::string name;         // trimmed, never empty
    std::int64_t version = 1; // grows with every saved name change
    MonitorSchedule schedule;
    std::int64_t createdAtMilliseconds = 0; // since 1970, rounded down

    // Field by field; the name by canonical equivalence.
    friend bool operator==(const Monitor& a, const Monitor& b);
};

// Element-wise equality of two monitor lists (length first, then pairwise, first difference stops).
bool monitorsEqual(const std::vector<Monitor>& a, const std::vector<Monitor>& b);

// The name without surrounding white space and line breaks. Throws MonitorStoreError::validation("Enter a name.")
// when nothing remains.
std::string normalizedMonitorName(std::string_view name);

} // namespace tavlen
