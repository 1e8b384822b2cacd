#include "HostTimeZone.h"

#include "TimeZoneRules.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace tavlen {

namespace {

// "Europe/Berlin" from itself, ":Europe/Berlin" or a path such as "../usr/share/zoneinfo/posix/Europe/Berlin".
std::string_view zoneName(std::string_view text)
{
    if (text.starts_with(':')) {
        text.remove_prefix(1);
    }
    constexpr std::string_view directory = "zoneinfo/";
    if (const auto at = text.rfind(directory); at != std::string_view::npos) {
        text.remove_prefix(at + directory.size());
    }
    for (std::string_view variant : {"posix/", "right/"}) {
        if (text.starts_with(variant)) {
            text.remove_prefix(variant.size());
        }
    }
    return text;
}

std::string knownZone(std::string_view text)
{
    const std::string_view name = zoneName(text);
    return TimeZoneRules::isKnownZone(name) ? std::string(name) : std::string();
}

std::string linkedZone(const char* link)
{
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link, target, sizeof target);
    if (length > 0 && static_cast<std::size_t>(length) < sizeof target) {
        if (auto zone = knownZone(std::string_view(target, static_cast<std::size_t>(length))); !zone.empty()) {
            return zone;
        }
    }
    // A link to a link: where the chain ends.
    if (char* resolved = ::realpath(link, nullptr)) {
        auto zone = knownZone(resolved);
        std::free(resolved);
        return zone;
    }
    return {};
}

std::string namedZone(const char* file)
{
    std::ifstream stream(file);
    std::string line;
    if (!std::getline(stream, line)) {
        return {};
    }
    const auto first = line.find_first_not_of(" \t");
    const auto last = line.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string()
                                      : knownZone(std::string_view(line).substr(first, last - first + 1));
}

} // namespace

std::string hostTimeZoneID()
{
    // Read as the C library reads it, so that Tavlen keeps the time that the rest of the session shows: a set
    // TZ decides, even when empty (UTC) or naming no zone (GMT), and may hold a POSIX rule.
    if (const char* variable = std::getenv("TZ"); variable != nullptr) {
        const std::string_view value = variable;
        if (value.empty() || value == ":") {
            return "Etc/UTC";
        }
        if (auto zone = knownZone(value); !zone.empty()) {
            return zone;
        }
        if (value.starts_with('/') || value.starts_with(":/")) {
            // A file outside the zoneinfo directory, such as /etc/localtime itself.
            if (auto zone = linkedZone(std::string(value.substr(value.find('/'))).c_str()); !zone.empty()) {
                return zone;
            }
        }
        return std::string(value.starts_with(':') ? value.substr(1) : value);
    }
    if (auto zone = linkedZone("/etc/localtime"); !zone.empty()) {
        return zone;
    }
    if (auto zone = namedZone("/etc/timezone"); !zone.empty()) {
        return zone;
    }
    return "Etc/UTC";
}

} // namespace tavlen
