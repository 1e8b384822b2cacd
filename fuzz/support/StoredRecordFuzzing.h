#pragma once

#include "FuzzInput.h"
#include "MonitorStoreError.h"

#include <optional>
#include <string>
#include <string_view>

namespace tavlen::fuzz {

// A stored text through its decoder: only MonitorStoreError escapes; what decodes is written again, that writing
// decodes to a value written the same way, and (where exact) the same value. decode(text) gives the record,
// encode(record) its stored text.
template <class Decode, class Encode>
void requireStoredRoundTrip(std::string_view text, Decode decode, Encode encode, bool exactValue = true)
{
    std::optional<decltype(decode(text))> record;
    try {
        record.emplace(decode(text));
    } catch (const MonitorStoreError&) {
        return;
    }
    const std::string written = encode(*record);
    std::optional<decltype(decode(text))> back;
    try {
        back.emplace(decode(written));
    } catch (const MonitorStoreError&) {
        require(false, "what was written decodes again");
    }
    if (exactValue) {
        require(*back == *record, "what was written decodes as the same record");
    }
    require(encode(*back) == encode(decode(encode(*back))), "writing is stable");
}

} // namespace tavlen::fuzz
