#pragma once

#include "Monitor.h"
#include "Uuid.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// The user's order of the monitor list, stored in app_settings.monitor_order_json as a compact JSON array of
// lower-case monitor ids.

// The monitors (given in creation order) arranged by the stored order text: each element naming a listed monitor
// places it, the first time; elements that are not UUID texts, name no monitor or repeat are skipped; monitors the
// order does not mention follow in the given order. Throws MonitorStoreError: storage for text that is not JSON,
// invalidStoredData for JSON that is not an array.
std::vector<Monitor> orderedMonitors(std::vector<Monitor> byCreation, std::string_view storedOrder);

// The stored order text of the ids. Throws MonitorStoreError::validation "Each monitor can appear only once in
// the list." when an id appears twice.
std::string encodeMonitorOrder(const std::vector<Uuid>& ids);

} // namespace tavlen
