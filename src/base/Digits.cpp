#include "Digits.h"

#include <algorithm>

namespace tavlen {

bool containsNonDigit(std::string_view text) noexcept
{
    return std::any_of(text.begin(), text.end(), [](char c) { return c < '0' || c > '9'; });
}

} // namespace tavlen
