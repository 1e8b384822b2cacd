#include "MonitorCheckRecord.h"

#include "MonitorStoreError.h"
#include "Utf8.h"

#include <cmath>
#include <unordered_set>

namespace tavlen {

namespace {

constexpr std::size_t maximumTextReadingBytes = 65536;

bool isStorableReading(const Reading& reading)
{
    if (trimWhitespaceAndNewlines(reading.fieldName).empty()) {
        return false;
    }
    return reading.value.isText() ? reading.value.text().size() <= maximumTextReadingBytes
                                  : std::isfinite(reading.value.number());
}

} // namespace

void MonitorCheckRecord::validate() const
{
    if (check.usage) {
        check.usage->validate();
    }
    if (check.completedAtMilliseconds < check.startedAtMilliseconds ||
        check.readingCount != static_cast<std::int64_t>(readings.size()) || (check.failure && !readings.empty())) {
        throw MonitorStoreError::invalidStoredData();
    }
    std::unordered_set<Uuid> ids;
    for (const Reading& reading : readings) {
        if (!ids.insert(reading.id).second) {
            throw MonitorStoreError::invalidStoredData();
        }
    }
    for (const Reading& reading : readings) {
        if (!isStorableReading(reading)) {
            throw MonitorStoreError::invalidStoredData();
        }
    }
}

bool operator==(const MonitorCheckRecord& a, const MonitorCheckRecord& b)
{
    return a.check == b.check && readingsEqual(a.readings, b.readings);
}

} // namespace tavlen
