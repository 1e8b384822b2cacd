#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

// The UTC offsets of one zone over all time, as the system's tz database (/usr/share/zoneinfo) gives them: the
// transitions its zone file lists, read through the date/tz library, continued past the last of them by the
// POSIX rule that ends the file. Immutable, so one value serves every thread.
class TimeZoneRules
{
public:
    // The rules of a zone by identifier, read once per process and shared. An identifier that the database does
    // not know (or a system without the database) gives GMT under the identifier "Etc/Unknown".
    static std::shared_ptr<const TimeZoneRules> forZone(std::string_view zoneID);

    // Whether the tz database knows the identifier.
    static bool isKnownZone(std::string_view zoneID);

    const std::string& zoneID() const { return m_zoneID; }

    // Seconds east of UTC at an instant in seconds since 1970.
    std::int32_t offsetAt(std::int64_t instant) const;

    // The instant at which local clocks show the wall time `local` (seconds since 1970 as if local time were UTC).
    // A wall time that a change of offset skips resolves to the first instant after the skip; one that occurs
    // twice, to the earlier of the two.
    std::int64_t instantOfLocalTime(std::int64_t local) const;

    // Built from a table; see forZone for zones.
    TimeZoneRules(std::string zoneID,
                  std::vector<std::int64_t> starts,
                  std::vector<std::int32_t> offsets,
                  std::int64_t cycleStart);

private:
    // An instant or wall time beyond the listed transitions, moved back by whole 400-year cycles of the
    // Gregorian calendar, over which a POSIX rule repeats exactly.
    std::int64_t withinTable(std::int64_t time) const;

    std::string m_zoneID;
    // Period i starts at m_starts[i] (the first at the smallest instant) and has the offset m_offsets[i].
    std::vector<std::int64_t> m_starts;
    std::vector<std::int32_t> m_offsets;
    // m_starts[i] + m_offsets[i]: the wall time at which period i begins.
    std::vector<std::int64_t> m_localStarts;
    // From here on the periods repeat every 400 years; the largest value when they do not.
    std::int64_t m_cycleStart;
};

} // namespace tavlen
