#include "PageURL.h"

#include "Url.h"
#include "Utf8.h"

#include <algorithm>
#include <cctype>

namespace tavlen {

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
