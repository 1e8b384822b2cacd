#include "ReadingValidation.h"

#include "ReadingFailure.h"
#include "Utf8.h"

#include <cmath>
#include <unordered_map>
#include <unordered_set>

namespace tavlen {

void validateReadingFields(const std::vector<ReadingField>& fields)
{
    if (fields.empty()) {
        throw ReadingFailure::fieldIdentity();
    }
    std::unordered_set<Uuid> ids;
    for (const ReadingField& field : fields) {
        if (!ids.insert(field.id).second) {
            throw ReadingFailure::fieldIdentity();
        }
    }
    for (const ReadingField& field : fields) {
        if (trimWhitespaceAndNewlines(field.name).empty()) {
            throw ReadingFailure::fieldName();
        }
    }
}

std::vector<Reading> validateReadings(const std::vector<Reading>& readings, const std::vector<ReadingField>& fields)
{
    if (readings.size() != fields.size()) {
        throw ReadingFailure::invalidReadings();
    }
    std::unordered_map<Uuid, const Reading*> byID;
    for (const Reading& reading : readings) {
        if (!byID.emplace(reading.id, &reading).second) {
            throw ReadingFailure::invalidReadings();
        }
    }
    std::unordered_set<Uuid> fieldIDs;
    for (const ReadingField& field : fields) {
        if (!byID.contains(field.id)) {
            throw ReadingFailure::invalidReadings();
        }
        fieldIDs.insert(field.id);
    }
    if (fieldIDs.size() != byID.size()) {
        throw ReadingFailure::invalidReadings();
    }
    std::vector<Reading> result;
    result.reserve(fields.size());
    std::size_t textBytes = 0;
    for (const ReadingField& field : fields) {
        const ReadingValue& value = byID.at(field.id)->value;
        if (field.type == ReadingFieldType::number) {
            if (!value.isNumber() || !std::isfinite(value.number())) {
                throw ReadingFailure::invalidReadings();
            }
        } else {
            if (!value.isText() || value.text().size() > maximumReadingTextBytes) {
                throw ReadingFailure::invalidReadings();
            }
            textBytes += value.text().size();
            if (textBytes > maximumReadingsTextBytes) {
                throw ReadingFailure::invalidReadings();
            }
        }
        result.push_back(Reading{field.id, field.name, value});
    }
    return result;
}

} // namespace tavlen
