// URI references: an accepted text is printable ASCII, and its parts, put back together, give the text itself.
#include "FuzzInput.h"
#include "Url.h"

#include <string>

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = fuzz::textOf(data, size);
    const std::optional<UrlComponents> parts = parseURLComponents(input);
    if (!parts) {
        return 0;
    }
    for (char c : input) {
        fuzz::require(c > 0x20 && c < 0x7F, "an accepted reference holds only printable ASCII");
    }
    // Reassembled from the parts as RFC 3986 section 5.3 does, with the user information and the port taken from
    // the text: the port's digits are not kept when they overflow, and an authority may hold an empty port.
    std::string text;
    if (!parts->scheme.empty()) {
        text += parts->scheme + ":";
    }
    if (parts->host) {
        const std::size_t authorityStart = text.size() + 2;
        fuzz::require(input.substr(text.size(), 2) == "//", "an authority follows \"//\"");
        const std::size_t authorityEnd = input.find_first_of("/?#", authorityStart);
        const std::string_view authority = input.substr(authorityStart, authorityEnd - authorityStart);
        fuzz::require(authority.find(*parts->host) != std::string_view::npos, "the host is part of the authority");
        if (parts->user) {
            fuzz::require(authority.starts_with(*parts->user), "the user information starts the authority");
        }
        if (parts->port) {
            fuzz::require(*parts->port >= 0, "a port is not negative");
        }
        text += "//" + std::string(authority);
    }
    text += parts->path;
    if (parts->query) {
        text += "?" + *parts->query;
    }
    if (parts->fragment) {
        text += "#" + *parts->fragment;
    }
    fuzz::require(text == input, "the parts make up the whole text");
    return 0;
}
