#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavlen {

// The parts of a URI reference (RFC 3986), as written in the text: percent-encoding is kept, nothing is
// lower-cased. A part that the text does not hold is absent; an authority with an empty host gives an empty host.
struct UrlComponents
{
    std::string scheme; // empty for a relative reference
    std::optional<std::string> user;
    std::optional<std::string> password; // the user information after its first ":"
    std::optional<std::string> host;     // an IP literal without its brackets
    // Absent when the authority has no port digits. Not range-checked: digits beyond int give its largest value.
    std::optional<int> port;
    std::string path;
    std::optional<std::string> query;    // without the "?"
    std::optional<std::string> fragment; // without the "#"
};

// Parses the whole text as an RFC 3986 URI reference. Nothing when it does not parse or when it holds a byte that
// RFC 3986 does not allow (spaces, non-ASCII, control characters). A port above 65535 parses.
std::optional<UrlComponents> parseURLComponents(std::string_view text);

} // namespace tavlen
