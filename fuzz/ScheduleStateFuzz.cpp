// The stored schedule state (state_json). Dates are stored as seconds since 2001 and kept as seconds since 1970,
// so a round trip may move one by a unit in the last place: the value is compared through its writing.
#include "ScheduleState.h"
#include "StoredRecordFuzzing.h"

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::requireStoredRoundTrip(
        fuzz::textOf(data, size),
        [](std::string_view text) { return ScheduleState::decodeStored(text); },
        [](const ScheduleState& state) { return state.encodeStored(); },
        false);
    return 0;
}
