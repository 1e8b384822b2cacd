#pragma once

#include <string_view>

namespace tavlen {

// True when any byte of the text lies outside the ASCII digits "0" to "9". An empty text gives false.
bool containsNonDigit(std::string_view text) noexcept;

} // namespace tavlen
