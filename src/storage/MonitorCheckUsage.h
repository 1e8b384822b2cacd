#pragma once

#include "StepsModelUsage.h"
#include "Uuid.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen {

class ModelRequestEvent;

// The usage of one model-using step of a check.
struct MonitorCheckUsageEntry
{
    std::optional<Uuid> stepID;
    std::optional<std::int64_t> stepNumber; // as the executor counts steps, from 1
    StepsModelUsage usage;

    friend bool operator==(const MonitorCheckUsageEntry&, const MonitorCheckUsageEntry&) = default;
};

// The model usage of one check: one entry per model-using step in the order the executor started them, or, for a
// usage stored in the legacy form, one total for the whole check.
struct MonitorCheckUsage
{
    using Entry = MonitorCheckUsageEntry;

    // The format version of the current stored form; 1 to 4 are the legacy form.
    static constexpr std::int64_t storedVersion = 5;

    std::optional<StepsModelUsage> legacy; // never set in a usage made now
    std::vector<Entry> steps;              // empty for a legacy usage

    // Appends an entry for a Read step about to run with this selection; returns its index for the step's events.
    std::size_t appendEntry(const Uuid& stepID, std::int64_t stepNumber, const ModelSelection& selection);

    // Folds an event into the entry at `index` (one appendEntry returned), or into the legacy total when there is
    // one. The usage stays valid: an event whose token counts would carry a total of the check beyond the 64-bit
    // range is counted without them, and an index that names no entry changes nothing.
    void recordRequest(const ModelRequestEvent& event, std::size_t index);

    // Throws MonitorStoreError: invalidStoredData for a broken rule, or an Ollama host's validation error.
    void validate() const;

    // The usage_json text, after validate(): {"steps":[…],"version":5}, or the legacy total's own object.
    std::string storedText() const;

    // The usage of a stored usage_json; nothing for NULL. Throws MonitorStoreError::invalidStoredData for a text
    // that is not a stored usage (and whatever validate() throws).
    static std::optional<MonitorCheckUsage> decodeStored(const std::optional<std::string_view>& text);

    friend bool operator==(const MonitorCheckUsage&, const MonitorCheckUsage&) = default;
};

} // namespace tavlen
