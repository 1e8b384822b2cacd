#pragma once

#include "StepsModelUsage.h"

#include <nlohmann/json.hpp>

namespace tavlen {

// The usage object of usage_json: one key per field, named as the field; optional fields left out when absent.
nlohmann::json encodeUsageObject(const StepsModelUsage& usage);

// The usage of a usage object. Throws MonitorStoreError::invalidStoredData for a missing required key or a value
// of the wrong JSON type; missing and null optional keys alike give absent values, unknown keys are ignored. The
// usage is not validated here.
StepsModelUsage decodeUsageObject(const nlohmann::json& object);

// A stored whole number: a JSON integer in the signed 64-bit range, or a number with an exact whole value there.
// Throws MonitorStoreError::invalidStoredData otherwise.
std::int64_t decodeStoredInteger(const nlohmann::json& value);

} // namespace tavlen
