#pragma once

#include "Date.h"

#include <optional>
#include <string_view>

namespace tavlen {

// Parses an internet date-time (RFC 3339 profile of ISO 8601): "YYYY-MM-DDTHH:MM:SS", an optional fraction of a
// second ("." and one or more digits), then "Z" or a "+HH:MM"/"-HH:MM" offset. Strict: upper-case "T" and "Z" only,
// a real calendar date, hours 00-23, minutes and seconds 00-59 (no leap second), nothing before or after.
std::optional<Date> parseISO8601DateTime(std::string_view text);

} // namespace tavlen
