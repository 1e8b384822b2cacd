#include "CheckRowDecoders.h"

#include "MonitorStoreError.h"
#include "SqliteError.h"
#include "SqliteStatement.h"
#include "Utf8.h"

#include <cmath>

namespace tavlen {

namespace {

constexpr std::size_t maximumTextReadingBytes = 65536;

int requiredColumn(const SqliteStatement& statement, std::string_view name)
{
    try {
        return statement.columnIndex(name);
    } catch (const SqliteError&) {
        throw MonitorStoreError::invalidStoredData();
    }
}

// The bytes of a column as UTF-8 text; nothing for NULL.
std::optional<std::string> utf8At(const SqliteStatement& row, int column)
{
    if (row.isNull(column)) {
        return std::nullopt;
    }
    std::string bytes = row.columnBlob(column);
    if (!isValidUTF8(bytes)) {
        throw MonitorStoreError::invalidStoredData();
    }
    return bytes;
}

Uuid uuidColumn(const SqliteStatement& row, int column)
{
    const std::optional<Uuid> id = Uuid::parse(row.columnTextView(column));
    if (!id) {
        throw MonitorStoreError::invalidStoredData();
    }
    return *id;
}

ReadingValue decodeValue(const SqliteStatement& row, const ReadingColumns& columns)
{
    const std::string_view type = row.columnTextView(columns.valueType);
    if (type == "number") {
        const std::optional<double> number = row.columnOptionalDouble(columns.numberValue);
        if (number && std::isfinite(*number) && row.isNull(columns.textValue)) {
            return ReadingValue::ofNumber(*number);
        }
    } else if (type == "text") {
        std::optional<std::string> text = utf8At(row, columns.textBytes);
        if (text && text->size() <= maximumTextReadingBytes && row.isNull(columns.numberValue)) {
            return ReadingValue::ofText(std::move(*text));
        }
    }
    throw MonitorStoreError::invalidStoredData();
}

} // namespace

std::optional<std::string> decodeUTF8Column(const SqliteStatement& row, std::string_view column)
{
    int index = -1;
    try {
        index = row.columnIndex(column);
    } catch (const SqliteError&) {
        return std::nullopt;
    }
    return utf8At(row, index);
}

std::optional<std::string> decodeUTF8Column(const SqliteStatement& row, int column)
{
    return utf8At(row, column);
}

ReadingColumns ReadingColumns::of(const SqliteStatement& statement)
{
    return ReadingColumns{requiredColumn(statement, "value_type"),
                          requiredColumn(statement, "number_value"),
                          requiredColumn(statement, "text_value"),
                          requiredColumn(statement, "text_bytes"),
                          requiredColumn(statement, "field_name_bytes")};
}

Reading decodeReadingRow(const SqliteStatement& row, const ReadingColumns& columns, const Uuid& fieldID)
{
    try {
        ReadingValue value = decodeValue(row, columns);
        std::optional<std::string> name = utf8At(row, columns.fieldNameBytes);
        if (!name || trimWhitespaceAndNewlines(*name).empty()) {
            throw MonitorStoreError::invalidStoredData();
        }
        return Reading{fieldID, std::move(*name), std::move(value)};
    } catch (const MonitorStoreError&) {
        throw;
    } catch (...) {
        // A column of another storage type than the schema gives it.
        throw MonitorStoreError::invalidStoredData();
    }
}

Reading decodeReadingRow(const SqliteStatement& row, const Uuid& fieldID)
{
    return decodeReadingRow(row, ReadingColumns::of(row), fieldID);
}

MonitorCheckColumns MonitorCheckColumns::of(const SqliteStatement& statement)
{
    return MonitorCheckColumns{requiredColumn(statement, "id"),
                               requiredColumn(statement, "monitor_id"),
                               requiredColumn(statement, "started_at_ms"),
                               requiredColumn(statement, "completed_at_ms"),
                               requiredColumn(statement, "code_bytes"),
                               requiredColumn(statement, "message_bytes"),
                               requiredColumn(statement, "reading_count"),
                               requiredColumn(statement, "usage_json")};
}

MonitorCheck decodeMonitorCheckRow(const SqliteStatement& row)
{
    return decodeMonitorCheckRow(row, MonitorCheckColumns::of(row));
}

MonitorCheck decodeMonitorCheckRow(const SqliteStatement& row, const MonitorCheckColumns& columns)
{
    try {
        MonitorCheck check;
        check.id = uuidColumn(row, columns.id);
        check.monitorID = uuidColumn(row, columns.monitorID);
        check.startedAtMilliseconds = row.columnInt64(columns.startedAt);
        check.completedAtMilliseconds = row.columnInt64(columns.completedAt);
        const std::optional<std::string> code = utf8At(row, columns.codeBytes);
        const std::optional<std::string> message = utf8At(row, columns.messageBytes);
        check.readingCount = row.columnInt64(columns.readingCount);
        if (check.completedAtMilliseconds < check.startedAtMilliseconds || code.has_value() != message.has_value() ||
            (code && check.readingCount != 0)) {
            throw MonitorStoreError::invalidStoredData();
        }
        if (code) {
            check.failure.emplace(*code, *message);
        }
        const std::optional<std::string> usage = row.columnOptionalText(columns.usage);
        if (usage) {
            check.usage = MonitorCheckUsage::decodeStored(std::string_view(*usage));
        }
        return check;
    } catch (...) {
        // Every refusal, the usage's own included, is damaged stored data here.
        throw MonitorStoreError::invalidStoredData();
    }
}

} // namespace tavlen
