#include "Date.h"

#include <chrono>
#include <cmath>
#include <limits>

namespace tavlen {

Date Date::now()
{
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return fromSecondsSince1970(std::chrono::duration<double>(sinceEpoch).count());
}

std::int64_t Date::milliseconds() const
{
    const double value = std::floor(m_seconds * 1000.0);
    if (std::isnan(value)) {
        return 0;
    }
    // 2^63 is exactly representable; anything at or above it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (value >= limit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (value < -limit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(value);
}

} // namespace tavlen
