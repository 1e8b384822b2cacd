#pragma once

#include "Monitor.h"
#include "ScheduleState.h"
#include "Uuid.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tavlen {

class SqliteStatement;

// What the schedule refresh decoded of each enabled monitor in its last pass: the monitor under its schedule
// version, and its runtime state, each with the stored text it came from. An entry serves only while the row
// still holds the same schedule version and the same texts, so a schedule or state written between passes (saved,
// reset, or rolled back with a failed pass) is always decoded afresh. Used on the database's thread only.
class ScheduleRowCache
{
public:
    // The monitor of the current row (a monitors row, columns by name), decoded unless the last pass saw it.
    const Monitor&
    monitor(const SqliteStatement& row, const Uuid& id, std::int64_t scheduleVersion, std::string_view scheduleJson);

    // The monitor's stored runtime state, decoded unless the last pass saw that text.
    const ScheduleState& state(const Uuid& id, std::string_view stateJson);

    // The state as just stored under that text.
    void remember(const Uuid& id, std::string stateJson, ScheduleState state);

    // Drops the entries of monitors the pass did not reach (disabled or deleted since).
    void keepOnly(const std::map<Uuid, ScheduleState>& reached);

private:
    struct Entry
    {
        std::int64_t scheduleVersion = 0;
        std::string scheduleJson;
        Monitor monitor;
        std::string stateJson;
        std::optional<ScheduleState> state;
    };

    std::map<Uuid, Entry> m_entries;
};

} // namespace tavlen
