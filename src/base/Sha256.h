#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavlen {

// The SHA-256 digest of the bytes.
std::array<std::uint8_t, 32> sha256(std::string_view bytes);

// The SHA-256 digest as 64 lower-case hexadecimal digits.
std::string sha256Hex(std::string_view bytes);

} // namespace tavlen
