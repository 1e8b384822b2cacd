#include "RecordedRequest.h"

#include <algorithm>
#include <cctype>

namespace tavlen::test {

namespace {

std::string lowered(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) {
        return static_cast<char>(std::tolower(c));
    });
    return result;
}

} // namespace

std::optional<std::string> RecordedRequest::header(std::string_view name) const
{
    const std::string wanted = lowered(name);
    for (const auto& [key, value] : headers) {
        if (lowered(key) == wanted) {
            return value;
        }
    }
    return std::nullopt;
}

std::vector<std::string> RecordedRequest::headerNames() const
{
    std::vector<std::string> names;
    for (const auto& entry : headers) {
        names.push_back(lowered(entry.first));
    }
    std::sort(names.begin(), names.end());
    return names;
}

nlohmann::json RecordedRequest::jsonBody() const
{
    return nlohmann::json::parse(body);
}

} // namespace tavlen::test
