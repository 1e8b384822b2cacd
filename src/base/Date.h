#pragma once

#include <compare>
#include <cstdint>

namespace tavlen {

// A point in time: seconds since 1970-01-01T00:00:00Z as a double, fractions kept. Table columns store it as
// whole milliseconds (rounded down), the stored schedule state as seconds since 2001-01-01T00:00:00Z.
class Date
{
public:
    // Seconds between 1970-01-01 and 2001-01-01 (UTC).
    static constexpr double referenceDateOffset = 978307200.0;

    constexpr Date() = default;

    static constexpr Date fromSecondsSince1970(double seconds) { return Date(seconds); }

    static constexpr Date fromMilliseconds(std::int64_t milliseconds)
    {
        return Date(static_cast<double>(milliseconds) / 1000.0);
    }

    static constexpr Date fromSecondsSinceReferenceDate(double seconds) { return Date(seconds + referenceDateOffset); }

    // The system's wall clock (code that needs a testable clock takes a TimeSource instead).
    static Date now();

    constexpr double secondsSince1970() const { return m_seconds; }

    // Whole milliseconds since 1970, rounded down. Saturates at the int64 range; not-a-number gives 0.
    std::int64_t milliseconds() const;

    constexpr double secondsSinceReferenceDate() const { return m_seconds - referenceDateOffset; }

    constexpr Date addingSeconds(double seconds) const { return Date(m_seconds + seconds); }

    // Ordinary floating-point comparison of the seconds.
    friend constexpr bool operator==(Date a, Date b) { return a.m_seconds == b.m_seconds; }

    friend constexpr std::partial_ordering operator<=>(Date a, Date b) { return a.m_seconds <=> b.m_seconds; }

private:
    explicit constexpr Date(double seconds)
        : m_seconds(seconds)
    {}

    double m_seconds = 0.0;
};

} // namespace tavlen
