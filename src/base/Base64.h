#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavlen {

// Standard base64 (RFC 4648 alphabet with "+" and "/"), padded with "=", no line breaks.
std::string base64Encode(std::string_view bytes);

// Strict decoding of standard base64: the length must be a multiple of 4, every character must be in the
// alphabet, "=" may only pad the last group (one or two of them), and the bits that padding leaves over
// must be zero, so every byte string has exactly one accepted text. Anything else gives nullopt.
std::optional<std::string> base64Decode(std::string_view text);

} // namespace tavlen
