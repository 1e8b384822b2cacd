// The stored usage of a check (usage_json), with the model selections it names.
#include "MonitorCheckUsage.h"
#include "StoredRecordFuzzing.h"

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::requireStoredRoundTrip(
        fuzz::textOf(data, size),
        [](std::string_view text) { return *MonitorCheckUsage::decodeStored(std::optional<std::string_view>(text)); },
        [](const MonitorCheckUsage& usage) { return usage.storedText(); });
    return 0;
}
