// A stored check_readings row, as the check repository and the chart reader decode it: only MonitorStoreError
// escapes, and a decoded reading keeps the rules of a stored one. Input: a JSON array of the row's values
// (support/FuzzedRow.h).
#include "CheckRowDecoders.h"
#include "FuzzInput.h"
#include "FuzzedRow.h"
#include "MonitorStoreError.h"
#include "Utf8.h"

#include <cmath>

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto row = fuzz::FuzzedRow::make(
        fuzz::textOf(data, size),
        {"check_id", "position", "field_id", "field_name", "value_type", "number_value", "text_value"},
        {"CAST(field_name AS BLOB) AS field_name_bytes", "CAST(text_value AS BLOB) AS text_bytes"});
    if (!row) {
        return 0;
    }
    const Uuid fieldID = Uuid::random();
    Reading reading;
    try {
        reading = decodeReadingRow(row->row(), fieldID);
    } catch (const MonitorStoreError&) {
        return 0;
    }
    fuzz::require(reading.id == fieldID, "the caller's field id");
    fuzz::require(isValidUTF8(reading.fieldName) && !trimWhitespaceAndNewlines(reading.fieldName).empty(),
                  "a field name that is UTF-8 and not blank");
    if (reading.value.isNumber()) {
        fuzz::require(std::isfinite(reading.value.number()), "a finite number");
    } else {
        fuzz::require(isValidUTF8(reading.value.text()) && reading.value.text().size() <= 65536,
                      "a UTF-8 text within its limit");
    }
    return 0;
}
