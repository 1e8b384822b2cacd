// The stored Steps workflow (workflow_json): decoding, then the check that guards every save and load.
#include "StepsDocument.h"
#include "StoredRecordFuzzing.h"

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::textOf(data, size);
    fuzz::requireStoredRoundTrip(
        text,
        [](std::string_view stored) { return StepsDocument::decodeStored(stored, StepsDocument::formatVersion); },
        [](const StepsDocument& document) { return document.encodeStored(); });
    try {
        StepsDocument::decodeStored(text, StepsDocument::formatVersion).validate();
    } catch (const MonitorStoreError&) {
    }
    return 0;
}
