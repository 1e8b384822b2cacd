#include "Monitor.h"

#include "ListEquality.h"
#include "MonitorStoreError.h"
#include "StorageMessages.h"
#include "Url.h"
#include "Utf8.h"

#include <algorithm>
#include <cctype>

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

std::optional<std::string> pageURL(std::string_view text)
{
    const std::string_view trimmed = trimWhitespaceAndNewlines(text);
    const auto components = parseURLComponents(trimmed);
    if (!components) {
        return std::nullopt;
    }
    std::string scheme = components->scheme;
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) {
        return static_cast<char>(std::tolower(c));
    });
    if (scheme != "http" && scheme != "https") {
        return std::nullopt;
    }
    if (!components->host || components->host->empty()) {
        return std::nullopt;
    }
    return std::string(trimmed);
}

} // namespace tavlen
