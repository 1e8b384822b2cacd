#include "Utf8.h"

namespace tavlen {

bool utf8Equal(std::string_view a, std::string_view b) noexcept
{
    return a == b;
}

} // namespace tavlen
