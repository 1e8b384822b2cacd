// The stored schedule rule (schedule_json).
#include "ScheduleRule.h"
#include "StoredRecordFuzzing.h"

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::requireStoredRoundTrip(
        fuzz::textOf(data, size),
        [](std::string_view text) { return ScheduleRule::decodeStored(text); },
        [](const ScheduleRule& rule) { return rule.encodeStored(); });
    return 0;
}
