#include "HttpLogFormat.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tavlen {

namespace {

constexpr std::string_view redacted = "<redacted>";

// Headers whose value is a credential.
constexpr std::array<std::string_view, 3> secretHeaders{"authorization", "x-api-key", "x-goog-api-key"};

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool isSecretHeader(std::string_view name)
{
    return std::any_of(secretHeaders.begin(), secretHeaders.end(), [name](std::string_view secret) {
        return equalsIgnoringCase(name, secret);
    });
}

// Where a "key=" value ends in a URL or in a sentence quoting one.
bool endsValue(char c)
{
    return c == '&' || c == '#' || c == '"' || c == '\'' || std::isspace(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::string redactKeys(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t found = position;
        // "key" as the end of a name ("key=", "api_key=", "x-goog-api-key="), not inside a word ("monkey=").
        while ((found = text.find("key=", found)) != std::string_view::npos) {
            if (found == 0 || std::isalnum(static_cast<unsigned char>(text[found - 1])) == 0) {
                break;
            }
            found += 4;
        }
        if (found == std::string_view::npos) {
            break;
        }
        const std::size_t valueStart = found + 4;
        std::size_t valueEnd = valueStart;
        while (valueEnd < text.size() && !endsValue(text[valueEnd])) {
            ++valueEnd;
        }
        result.append(text.substr(position, valueStart - position));
        result.append(redacted);
        position = valueEnd;
    }
    result.append(text.substr(position));
    return result;
}

std::string describeHttpRequest(const HttpExchangeRequest& request)
{
    QUrl url = request.url;
    url.setUserInfo(QString());
    std::string text = request.body ? "POST " : "GET ";
    text += redactKeys(url.toString(QUrl::FullyEncoded).toStdString());
    for (const auto& [name, value] : request.headers) {
        text += "; ";
        text += name;
        text += ": ";
        text += isSecretHeader(name) ? std::string(redacted) : redactKeys(value);
    }
    if (request.body) {
        text += "; body of " + std::to_string(request.body->size()) + " bytes";
    }
    return text;
}

} // namespace tavlen
