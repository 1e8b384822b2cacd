#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tavlen::fuzz {

// The fuzzer's bytes as text.
inline std::string_view textOf(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// A property of the code under test: when it does not hold, the input is a finding. Prints what failed and
// where, then aborts so libFuzzer saves the input. (Clang 14 has no std::source_location with libstdc++ 12.)
void require(bool holds, std::string_view what, const char* file = __builtin_FILE(), int line = __builtin_LINE());

} // namespace tavlen::fuzz
