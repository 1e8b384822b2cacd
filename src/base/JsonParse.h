#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>

namespace tavlen {

// Parses one JSON text (RFC 8259; surrounding whitespace allowed, nothing else after the value).
// Gives nullopt on bad syntax, invalid UTF-8, a number too large for a double, or arrays and objects
// nested deeper than maxDepth (the depth is checked before anything is built, so hostile input cannot
// exhaust the stack). Never throws.
std::optional<nlohmann::json> parseJson(std::string_view text, int maxDepth = 64);

} // namespace tavlen
