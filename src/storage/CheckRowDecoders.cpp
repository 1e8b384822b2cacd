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

Uuid uuidColumn(const SqliteStatement& row, std::string_view name)
{
    const std::optional<Uuid> id = Uuid::parse(row.columnText(row.columnIndex(name)));
    if (!id) {
        throw MonitorStoreError::invalidStoredData();
    }
    return *id;
}

ReadingValue decodeValue(const SqliteStatement& row, const ReadingColumns& columns)
{
    const std::string type = row.columnText(columns.valueType);
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

MonitorCheck decodeMonitorCheckRow(const SqliteStatement& row)
{
    try {
        MonitorCheck check;
        check.id = uuidColumn(row, "id");
        check.monitorID = uuidColumn(row, "monitor_id");
        check.startedAtMilliseconds = row.columnInt64(row.columnIndex("started_at_ms"));
        check.completedAtMilliseconds = row.columnInt64(row.columnIndex("completed_at_ms"));
        const std::optional<std::string> code = decodeUTF8Column(row, "code_bytes");
        const std::optional<std::string> message = decodeUTF8Column(row, "message_bytes");
        check.readingCount = row.columnInt64(row.columnIndex("reading_count"));
        if (check.completedAtMilliseconds < check.startedAtMilliseconds || code.has_value() != message.has_value() ||
            (code && check.readingCount != 0)) {
            throw MonitorStoreError::invalidStoredData();
        }
        if (code) {
            check.failure.emplace(*code, *message);
        }
        const std::optional<std::string> usage = row.columnOptionalText(row.columnIndex("usage_json"));
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
