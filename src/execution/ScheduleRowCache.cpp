#include "ScheduleRowCache.h"

#include "MonitorLookup.h"

#include <iterator>

namespace tavlen {

const Monitor& ScheduleRowCache::monitor(const SqliteStatement& row,
                                         const Uuid& id,
                                         std::int64_t scheduleVersion,
                                         std::string_view scheduleJson)
{
    Entry& entry = m_entries[id];
    if (entry.scheduleVersion != scheduleVersion || entry.scheduleJson != scheduleJson) {
        // Decoded before the entry changes, so a row that fails leaves no half-made entry behind.
        Monitor decoded = decodeMonitorRow(row);
        entry = Entry{scheduleVersion, std::string(scheduleJson), std::move(decoded), {}, std::nullopt};
    }
    return entry.monitor;
}

const ScheduleState& ScheduleRowCache::state(const Uuid& id, std::string_view stateJson)
{
    Entry& entry = m_entries[id];
    if (!entry.state || entry.stateJson != stateJson) {
        ScheduleState decoded = ScheduleState::decodeStored(stateJson);
        entry.stateJson = std::string(stateJson);
        entry.state = std::move(decoded);
    }
    return *entry.state;
}

void ScheduleRowCache::remember(const Uuid& id, std::string stateJson, ScheduleState state)
{
    Entry& entry = m_entries[id];
    entry.stateJson = std::move(stateJson);
    entry.state = std::move(state);
}

void ScheduleRowCache::keepOnly(const std::map<Uuid, ScheduleState>& reached)
{
    for (auto at = m_entries.begin(); at != m_entries.end();) {
        at = reached.contains(at->first) ? std::next(at) : m_entries.erase(at);
    }
}

} // namespace tavlen
