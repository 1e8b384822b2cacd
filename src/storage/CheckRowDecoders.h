#pragma once

#include "MonitorCheck.h"
#include "Reading.h"
#include "Uuid.h"

#include <optional>
#include <string>
#include <string_view>

namespace tavlen {

class SqliteStatement;

// The row decoders of stored checks and readings, shared by the check repository and the chart data reader. They
// run on the current row of a statement inside the caller's database access and throw
// MonitorStoreError::invalidStoredData for a row that breaks a rule; the row is never repaired.

// The text of a column read as bytes (a CAST(… AS BLOB) alias): nothing when the row has no such column or the
// value is NULL; bytes that are not UTF-8 are refused.
std::optional<std::string> decodeUTF8Column(const SqliteStatement& row, std::string_view column);
std::optional<std::string> decodeUTF8Column(const SqliteStatement& row, int column);

// Where the columns of a check_readings row are, found once per statement and used for every row.
struct ReadingColumns
{
    int valueType = -1;
    int numberValue = -1;
    int textValue = -1;
    int textBytes = -1;      // CAST(text_value AS BLOB)
    int fieldNameBytes = -1; // CAST(field_name AS BLOB)

    // Throws MonitorStoreError::invalidStoredData when the statement lacks one of them.
    static ReadingColumns of(const SqliteStatement& statement);
};

// The reading of a check_readings row that carries the aliases field_name_bytes and text_bytes, for the field id
// the caller parsed: a finite number or a UTF-8 text of at most 65536 bytes, with the other value column NULL, and
// a field name that is not blank (kept as stored, not trimmed).
Reading decodeReadingRow(const SqliteStatement& row, const ReadingColumns& columns, const Uuid& fieldID);
Reading decodeReadingRow(const SqliteStatement& row, const Uuid& fieldID);

// Where the columns of a monitor_checks row are, found once per statement and used for every row.
struct MonitorCheckColumns
{
    int id = -1;
    int monitorID = -1;
    int startedAt = -1;
    int completedAt = -1;
    int codeBytes = -1;    // CAST(error_code AS BLOB)
    int messageBytes = -1; // CAST(error_message AS BLOB)
    int readingCount = -1;
    int usage = -1;

    // Throws MonitorStoreError::invalidStoredData when the statement lacks one of them.
    static MonitorCheckColumns of(const SqliteStatement& statement);
};

// The check of a monitor_checks row that also carries code_bytes, message_bytes and reading_count: ids that are
// UUIDs, a completion not before the start, both failure texts or neither (and with them no readings; the failure
// built by the failure rule, so over-long stored texts come back cut), a usage_json that decodes.
MonitorCheck decodeMonitorCheckRow(const SqliteStatement& row, const MonitorCheckColumns& columns);
MonitorCheck decodeMonitorCheckRow(const SqliteStatement& row);

} // namespace tavlen
