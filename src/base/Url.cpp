#include "Url.h"

#include <uriparser/Uri.h>

#include <charconv>
#include <limits>

namespace tavlen {

namespace {

class ParsedUri
{
public:
    ParsedUri() = default;
    ParsedUri(const ParsedUri&) = delete;
    ParsedUri& operator=(const ParsedUri&) = delete;

    ~ParsedUri()
    {
        if (m_isParsed) {
            uriFreeUriMembersA(&m_uri);
        }
    }

    bool parse(std::string_view text)
    {
        const char* errorPosition = nullptr;
        m_isParsed =
            uriParseSingleUriExA(&m_uri, text.data(), text.data() + text.size(), &errorPosition) == URI_SUCCESS;
        return m_isParsed;
    }

    const UriUriA& uri() const { return m_uri; }

private:
    UriUriA m_uri{};
    bool m_isParsed = false;
};

bool isSet(const UriTextRangeA& range)
{
    return range.first != nullptr;
}

std::string textOf(const UriTextRangeA& range)
{
    if (range.first == nullptr || range.afterLast == nullptr) {
        return {};
    }
    return std::string(range.first, range.afterLast);
}

} // namespace

std::optional<UrlComponents> parseURLComponents(std::string_view text)
{
    ParsedUri parsed;
    if (!parsed.parse(text)) {
        return std::nullopt;
    }
    const UriUriA& uri = parsed.uri();
    const char* const begin = text.data();
    const char* const end = text.data() + text.size();
    UrlComponents components;
    components.scheme = textOf(uri.scheme);

    // Where the path starts: after the authority when there is one, else after "scheme:".
    const char* pathBegin = isSet(uri.scheme) ? uri.scheme.afterLast + 1 : begin;
    if (isSet(uri.hostText)) {
        const bool hostIsInText = uri.hostText.first >= begin && uri.hostText.afterLast <= end;
        if (hostIsInText) {
            components.host = textOf(uri.hostText);
            pathBegin = uri.hostText.afterLast;
            if (uri.hostData.ip6 != nullptr || isSet(uri.hostData.ipFuture)) {
                ++pathBegin; // the closing "]"
            }
        } else {
            // An empty host is reported as a range outside the text: it sits after "//" or the user information.
            components.host = std::string();
            pathBegin = isSet(uri.userInfo) ? uri.userInfo.afterLast + 1 : pathBegin + 2;
        }
        if (pathBegin != end && *pathBegin == ':') {
            ++pathBegin;
            const char* portEnd = pathBegin;
            while (portEnd != end && *portEnd >= '0' && *portEnd <= '9') {
                ++portEnd;
            }
            if (portEnd != pathBegin) {
                // Any run of digits is a port to RFC 3986; whether it names a usable port is the caller's concern.
                int port = 0;
                const auto result = std::from_chars(pathBegin, portEnd, port);
                components.port = result.ec == std::errc() ? port : std::numeric_limits<int>::max();
            }
            pathBegin = portEnd;
        }
        if (isSet(uri.userInfo)) {
            const std::string userInfo = textOf(uri.userInfo);
            const auto colon = userInfo.find(':');
            components.user = userInfo.substr(0, colon);
            if (colon != std::string::npos) {
                components.password = userInfo.substr(colon + 1);
            }
        }
    }
    const char* pathEnd = end;
    if (isSet(uri.query)) {
        components.query = textOf(uri.query);
        pathEnd = uri.query.first - 1;
    } else if (isSet(uri.fragment)) {
        pathEnd = uri.fragment.first - 1;
    }
    if (isSet(uri.fragment)) {
        components.fragment = textOf(uri.fragment);
    }
    if (pathBegin < pathEnd) {
        components.path.assign(pathBegin, pathEnd);
    }
    return components;
}

} // namespace tavlen
