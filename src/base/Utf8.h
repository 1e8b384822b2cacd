#pragma once

#include <string_view>

namespace tavlen {

// True exactly when both texts hold the same UTF-8 code units, with no Unicode normalisation.
bool utf8Equal(std::string_view a, std::string_view b) noexcept;

} // namespace tavlen
