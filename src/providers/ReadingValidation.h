#pragma once

#include "Reading.h"
#include "ReadingField.h"

#include <cstddef>
#include <vector>

namespace tavlen {

// Longest text reading, and all text readings of one answer together, in UTF-8 bytes.
inline constexpr std::size_t maximumReadingTextBytes = 65'536;
inline constexpr std::size_t maximumReadingsTextBytes = 1'048'576;

// The check of a Read step's fields before a request: at least one field and no id twice
// (ReadingFailure::fieldIdentity()), then no name blank after trimming whitespace and line breaks
// (ReadingFailure::fieldName()).
void validateReadingFields(const std::vector<ReadingField>& fields);

// The check of an answer's readings: one per field by id, no id twice, a finite number for a number field, a
// text of at most maximumReadingTextBytes for a text field with all texts within maximumReadingsTextBytes.
// Gives the readings in field order, each with its field's current name. Throws ReadingFailure::invalidReadings().
std::vector<Reading> validateReadings(const std::vector<Reading>& readings, const std::vector<ReadingField>& fields);

} // namespace tavlen
