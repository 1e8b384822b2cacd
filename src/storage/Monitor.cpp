#include "Monitor.h"

#include "ListEquality.h"
#include "MonitorStoreError.h"
#include "StorageMessages.h"
#include "Utf8.h"

namespace tavlen {

bool operator==(const Monitor& a, const Monitor& b)
{
    return a.id == b.id && textEqual(a.name, b.name) && a.version == b.version && a.schedule == b.schedule &&
           a.createdAtMilliseconds == b.createdAtMilliseconds;
}

bool monitorsEqual(const std::vector<Monitor>& a, const std::vector<Monitor>& b)
{
    return listsEqual(a, b, [](const Monitor& x, const Monitor& y) { return x == y; });
}

std::string normalizedMonitorName(std::string_view name)
{
    const std::string_view trimmed = trimWhitespaceAndNewlines(name);
    if (trimmed.empty()) {
        throw MonitorStoreError::validation(storage_messages::enterName);
    }
    return std::string(trimmed);
}

} // namespace tavlen
