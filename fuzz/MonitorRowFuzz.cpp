// A stored monitors row, as the monitor lookup decodes it: only MonitorStoreError escapes, and a decoded monitor
// keeps the rules a stored one must keep. Input: a JSON array of the row's values (support/FuzzedRow.h).
#include "FuzzInput.h"
#include "FuzzedRow.h"
#include "MonitorLookup.h"
#include "MonitorStoreError.h"
#include "Utf8.h"

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto row = fuzz::FuzzedRow::make(
        fuzz::textOf(data, size),
        {"id", "name", "version", "created_at_ms", "schedule_enabled", "schedule_version", "schedule_json"});
    if (!row) {
        return 0;
    }
    Monitor monitor;
    try {
        monitor = decodeMonitorRow(row->row());
    } catch (const MonitorStoreError&) {
        return 0;
    }
    fuzz::require(monitor.id == Uuid::parse(row->row().columnText(0)), "the id column's UUID");
    fuzz::require(!monitor.name.empty() && isValidUTF8(monitor.name), "a name that is valid UTF-8 and not empty");
    fuzz::require(monitor.version > 0 && monitor.schedule.version > 0, "positive versions");
    const std::string rule = monitor.schedule.preferences.rule.encodeStored();
    fuzz::require(ScheduleRule::decodeStored(rule) == monitor.schedule.preferences.rule, "the rule writes back");
    return 0;
}
