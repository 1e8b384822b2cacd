#pragma once

#include "ProviderJSON.h"
#include "Reading.h"
#include "ReadingField.h"

#include <string_view>
#include <vector>

namespace tavlen {

// The readings of the model's one tool call, given the called tool's name (compared exactly), its arguments
// and the requested fields. submit_readings must hold exactly the fields' keys, each an object holding only
// "value"; the readings then pass validateReadings. report_failure with reason "not_found" or "uncertain" throws
// ReadingFailure with that reason's sentence. Everything else throws ReadingFailure::invalidReadings().
std::vector<Reading>
decodeToolCall(std::string_view toolName, const ProviderJSON& arguments, const std::vector<ReadingField>& fields);

// One field's reading from the submit_readings arguments: the member under the field's key must be an object
// holding only "value", a number or a string. The value's kind is not compared with the field's type here.
// Throws ReadingFailure::invalidReadings().
Reading decodeReading(const ReadingField& field, const ProviderJSON& arguments);

} // namespace tavlen
