#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavlen {

// The parsers of every typed numeric input of a step. Pure; safe on any thread.

// Whitespace and newlines at both ends are ignored; the rest must be ASCII digits only (no sign, no separators,
// no other digits) with a value of at most 2^63-1. Leading zeros are allowed. Never negative.
std::optional<std::int64_t> parseWholeNumber(std::string_view text);

// Whitespace and newlines at both ends are ignored; the rest must be one floating-point number as strtod reads
// it in the POSIX locale ("." as decimal point, exponents, hexadecimal forms), wholly consumed, neither
// overflowing nor underflowing, finite and greater than 0.
std::optional<double> parsePositiveDecimal(std::string_view text);

} // namespace tavlen
