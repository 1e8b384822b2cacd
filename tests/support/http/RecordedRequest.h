#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavlen::test {

// One request as a loopback test server received it.
struct RecordedRequest
{
    std::string method;
    std::string path;  // without the query
    std::string query; // the raw text after "?", empty without one
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The value of the first header with that name, compared without letter case.
    std::optional<std::string> header(std::string_view name) const;
    // The names of all headers in lower case, sorted.
    std::vector<std::string> headerNames() const;
    // The body parsed as JSON; throws nlohmann::json::parse_error when it is not.
    nlohmann::json jsonBody() const;
};

} // namespace tavlen::test
