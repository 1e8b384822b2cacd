// A stored monitor_checks row, as the check repository and the chart reader decode it: only MonitorStoreError
// escapes, and a decoded check keeps the rules of a stored one. Input: a JSON array of the row's values
// (support/FuzzedRow.h).
#include "CheckRowDecoders.h"
#include "FuzzInput.h"
#include "FuzzedRow.h"
#include "MonitorStoreError.h"
#include "Utf8.h"

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto row = fuzz::FuzzedRow::make(
        fuzz::textOf(data, size),
        {"id",
         "monitor_id",
         "started_at_ms",
         "completed_at_ms",
         "error_code",
         "error_message",
         "usage_json",
         "reading_count"},
        {"CAST(error_code AS BLOB) AS code_bytes", "CAST(error_message AS BLOB) AS message_bytes"});
    if (!row) {
        return 0;
    }
    MonitorCheck check;
    try {
        check = decodeMonitorCheckRow(row->row());
    } catch (const MonitorStoreError&) {
        return 0;
    }
    fuzz::require(check.completedAtMilliseconds >= check.startedAtMilliseconds, "completed not before started");
    if (check.failure) {
        const MonitorCheckFailure& failure = *check.failure;
        fuzz::require(!failure.code().empty() && failure.code().size() <= MonitorCheckFailure::maximumCodeBytes,
                      "a failure code within its limit");
        fuzz::require(failure.message().size() <= MonitorCheckFailure::maximumMessageBytes,
                      "a failure message within its limit");
        fuzz::require(isValidUTF8(failure.code()) && isValidUTF8(failure.message()), "failure texts are UTF-8");
        fuzz::require(check.readingCount == 0, "a failed check has no readings");
    }
    if (check.usage) {
        const std::string stored = check.usage->storedText();
        fuzz::require(MonitorCheckUsage::decodeStored(std::optional<std::string_view>(stored)) == check.usage,
                      "the usage writes back");
    }
    return 0;
}
