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

// The characters of JSON text that open a container or separate its parts ("[", "{", ",", ":"), outside strings:
// what a parser's tape grows with. Exact while the count stays at most `limit`; past it the scan stops and returns
// some count above the limit, so a text of nothing but structure costs no more than one within bounds. Text that is
// not JSON gets some count, never a failure.
std::size_t jsonStructureCount(std::string_view text, std::size_t limit) noexcept;

} // namespace tavlen
