#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>

namespace tavlen {

struct JsonWriteOptions
{
    // "/" is written as "\/" unless this is false.
    bool escapeSlashes = true;
    // Two-space indentation and "key" : value members; compact otherwise.
    bool pretty = false;
};

// Serialises a JSON value the way every byte Tavlen writes is encoded: object keys sorted by byte order,
// non-ASCII text as raw UTF-8, control characters escaped, integers as integers and doubles in their
// shortest round-trip form, with integral doubles written without a fractional part (3.0 gives "3").
// Throws std::invalid_argument for a value JSON cannot hold: a NaN or infinite double, text that is
// not valid UTF-8, a binary or discarded value.
std::string writeJson(const nlohmann::json& value, const JsonWriteOptions& options = {});

// The number of bytes writeJson writes for a text (with its quotes), an integer or a double, computed without
// writing them, so a size limit on an encoding can be checked before (or instead of) producing it. Throws what
// writeJson throws for the same value.
std::size_t writtenJsonLength(std::string_view text, const JsonWriteOptions& options = {});
std::size_t writtenJsonLength(std::int64_t number);
std::size_t writtenJsonLength(double number);

} // namespace tavlen
