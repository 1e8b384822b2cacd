#pragma once

#include <cstddef>
#include <string_view>

namespace tavlen {

// Byte scans over texts of tens of megabytes (a screenshot's base64 runs to 32 MiB), written with vector types so
// they run at memory speed in every build, not only where the optimiser vectorises loops. AVX2 is used when the
// processor has it.

// True when every byte is one of the 64 characters of standard base64 ("A"–"Z", "a"–"z", "0"–"9", "+", "/").
bool isBase64Alphabet(std::string_view text) noexcept;

// The Unicode scalars of valid UTF-8: the bytes that do not continue a sequence. For ASCII, the size.
std::size_t scalarCount(std::string_view text) noexcept;

} // namespace tavlen
