#pragma once

#include "ProviderJSON.h"
#include "ReadingField.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// A tool the model may call to answer, as every request lists it.
struct ReadingTool
{
    std::string_view name;
    std::string_view description;
};

// One typed value for every field; listed first.
inline constexpr ReadingTool submitReadingsTool{"submit_readings", "Return every field with its declared type."};
// A reason why a field cannot be read; listed second.
inline constexpr ReadingTool reportFailureTool{"report_failure", "Report that at least one field cannot be extracted."};

// The reasons report_failure may give.
inline constexpr std::string_view notFoundReason = "not_found";
inline constexpr std::string_view uncertainReason = "uncertain";

// How a field is named to the model: its id as lower-case UUID text, the key of its value in the submit_readings
// arguments and its "id" in the field list.
std::string fieldKey(const ReadingField& field);

// The requested fields as the model reads them: a compact JSON array of {"id", "name", "type", "instruction"}
// in field order, name and instruction as entered, "/" written as \/, non-ASCII as UTF-8.
std::string readingFieldListJSON(const std::vector<ReadingField>& fields);

// {"type": "object", "properties": properties, "required": the keys sorted, "additionalProperties": false}.
ProviderJSON strictObjectSchema(const ProviderJSON::Object& properties);

// The input schema of submit_readings: every field's key to a strict object holding only "value" of the field's
// type. The fields must have passed validateReadingFields.
ProviderJSON submitReadingsSchema(const std::vector<ReadingField>& fields);

// The input schema of report_failure: a strict object holding only "reason", "not_found" or "uncertain". Built
// once, on first use, from any thread.
const ProviderJSON& reportFailureSchema();

} // namespace tavlen
