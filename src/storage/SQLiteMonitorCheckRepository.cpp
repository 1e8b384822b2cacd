#include "SQLiteMonitorCheckRepository.h"

#include "CheckRowDecoders.h"
#include "MonitorCheckError.h"
#include "MonitorDatabase.h"
#include "MonitorLookup.h"
#include "MonitorStoreError.h"
#include "SqliteStatement.h"

#include <algorithm>
#include <string>

namespace tavlen {

namespace {

constexpr int largestPage = 200;

constexpr const char* checkColumns =
    "SELECT r.*, CAST(error_code AS BLOB) AS code_bytes, CAST(error_message AS BLOB) AS message_bytes,\n"
    "    (SELECT count(*) FROM check_readings o WHERE o.check_id = r.id) AS reading_count\n";
constexpr const char* checkByIdCondition = "FROM monitor_checks r WHERE r.id = ?";
constexpr const char* checksOfMonitorCondition = "FROM monitor_checks r WHERE r.monitor_id = ?";
// The last condition adds nothing to the first but lets SQLite seek the history index to the cursor instead of
// walking every newer check: without it each page costs time in proportion to the pages before it.
constexpr const char* afterCursor =
    " AND (r.started_at_ms < ? OR (r.started_at_ms = ? AND r.id < ?)) AND r.started_at_ms <= ?";
constexpr const char* newestFirst = " ORDER BY r.started_at_ms DESC, r.id DESC LIMIT ?";

constexpr const char* readingsOfCheck =
    "SELECT *, CAST(field_name AS BLOB) AS field_name_bytes, CAST(text_value AS BLOB) AS text_bytes\n"
    "FROM check_readings WHERE check_id = ? ORDER BY position";

constexpr const char* insertCheck =
    "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms, error_code, error_message, "
    "usage_json)\n"
    "VALUES (?, ?, ?, ?, CAST(? AS TEXT), CAST(? AS TEXT), ?)";
constexpr const char* insertReading =
    "INSERT INTO check_readings (check_id, position, field_id, field_name, value_type, number_value, text_value)\n"
    "VALUES (?, ?, ?, CAST(? AS TEXT), ?, ?, CAST(? AS TEXT))";
constexpr const char* deleteCheckOfMonitor = "DELETE FROM monitor_checks WHERE id = ? AND monitor_id = ?";

std::optional<MonitorCheck> fetchCheck(SqliteConnection& connection, const Uuid& checkID)
{
    SqliteStatement statement(connection, std::string(checkColumns) + checkByIdCondition);
    statement.bind(1, checkID.lowercaseString());
    if (!statement.step()) {
        return std::nullopt;
    }
    return decodeMonitorCheckRow(statement);
}

// The readings of a check in position order; positions must run 0, 1, 2, … without a gap or a repeat.
std::vector<Reading> fetchReadings(SqliteConnection& connection, const Uuid& checkID)
{
    SqliteStatement statement(connection, readingsOfCheck);
    statement.bind(1, checkID.lowercaseString());
    std::vector<Reading> readings;
    if (!statement.step()) {
        return readings;
    }
    const ReadingColumns columns = ReadingColumns::of(statement);
    const int fieldIdColumn = statement.columnIndex("field_id");
    const int positionColumn = statement.columnIndex("position");
    do {
        const std::optional<Uuid> fieldID = Uuid::parse(statement.columnTextView(fieldIdColumn));
        if (!fieldID || statement.columnInt64(positionColumn) != static_cast<std::int64_t>(readings.size())) {
            throw MonitorStoreError::invalidStoredData();
        }
        readings.push_back(decodeReadingRow(statement, columns, *fieldID));
    } while (statement.step());
    return readings;
}

void insertReadings(SqliteConnection& connection, const MonitorCheckRecord& record)
{
    SqliteStatement statement(connection, insertReading);
    const std::string checkID = record.check.id.lowercaseString();
    for (std::size_t position = 0; position < record.readings.size(); ++position) {
        const Reading& reading = record.readings[position];
        statement.bind(1, checkID).bind(2, static_cast<std::int64_t>(position));
        statement.bind(3, reading.id.lowercaseString()).bindBlob(4, reading.fieldName);
        if (reading.value.isNumber()) {
            statement.bind(5, "number").bind(6, reading.value.number()).bind(7, nullptr);
        } else {
            statement.bind(5, "text").bind(6, nullptr).bindBlob(7, reading.value.text());
        }
        statement.execute();
        statement.reset();
    }
}

} // namespace

void SQLiteMonitorCheckRepository::recordBody(SqliteConnection& connection, const MonitorCheckRecord& record)
{
    const MonitorCheck& check = record.check;
    requireMonitor(connection, check.monitorID);
    if (std::optional<MonitorCheck> stored = fetchCheck(connection, check.id)) {
        // A repeated write of the same record is harmless; anything else under this id is not.
        if (MonitorCheckRecord{std::move(*stored), fetchReadings(connection, check.id)} == record) {
            return;
        }
        throw MonitorStoreError::invalidStoredData();
    }
    const std::optional<std::string> usage =
        check.usage ? std::optional<std::string>(check.usage->storedText()) : std::nullopt;
    SqliteStatement statement(connection, insertCheck);
    statement.bindAll(check.id.lowercaseString(),
                      check.monitorID.lowercaseString(),
                      check.startedAtMilliseconds,
                      check.completedAtMilliseconds);
    if (check.failure) {
        statement.bindBlob(5, check.failure->code()).bindBlob(6, check.failure->message());
    } else {
        statement.bind(5, nullptr).bind(6, nullptr);
    }
    statement.bind(7, usage);
    statement.execute();
    insertReadings(connection, record);
}

std::vector<MonitorCheck> SQLiteMonitorCheckRepository::historyBody(SqliteConnection& connection,
                                                                    const Uuid& monitorID,
                                                                    const std::optional<MonitorCheckCursor>& cursor,
                                                                    int pageSize)
{
    requireMonitorExists(connection, monitorID);
    std::string sql = std::string(checkColumns) + checksOfMonitorCondition;
    if (cursor) {
        sql += afterCursor;
    }
    sql += newestFirst;
    SqliteStatement statement(connection, sql);
    const int limit = std::clamp(pageSize, 1, largestPage);
    if (cursor) {
        const std::int64_t start = cursor->startedAtMilliseconds;
        statement.bindAll(monitorID.lowercaseString(), start, start, cursor->id.lowercaseString(), start, limit);
    } else {
        statement.bindAll(monitorID.lowercaseString(), limit);
    }
    std::vector<MonitorCheck> checks;
    if (!statement.step()) {
        return checks;
    }
    const MonitorCheckColumns columns = MonitorCheckColumns::of(statement);
    checks.reserve(static_cast<std::size_t>(limit));
    do {
        checks.push_back(decodeMonitorCheckRow(statement, columns));
    } while (statement.step());
    return checks;
}

std::vector<Reading> SQLiteMonitorCheckRepository::checkRecordBody(SqliteConnection& connection, const Uuid& checkID)
{
    std::optional<MonitorCheck> check = fetchCheck(connection, checkID);
    if (!check) {
        throw MonitorCheckError::missingCheck();
    }
    MonitorCheckRecord record{std::move(*check), fetchReadings(connection, checkID)};
    record.validate();
    return std::move(record.readings);
}

void SQLiteMonitorCheckRepository::deleteCheckBody(SqliteConnection& connection,
                                                   const Uuid& monitorID,
                                                   const Uuid& checkID)
{
    requireMonitorExists(connection, monitorID);
    connection.prepare(deleteCheckOfMonitor).bindAll(checkID.lowercaseString(), monitorID.lowercaseString()).execute();
}

QCoro::Task<void> SQLiteMonitorCheckRepository::record(MonitorCheckRecord record, std::stop_token token)
{
    auto body = [record = std::move(record)](SqliteConnection& connection) { recordBody(connection, record); };
    auto task = m_database.write(std::move(body), token);
    co_await std::move(task);
}

QCoro::Task<std::vector<MonitorCheck>> SQLiteMonitorCheckRepository::history(Uuid monitorID,
                                                                             std::optional<MonitorCheckCursor> cursor,
                                                                             int pageSize,
                                                                             std::stop_token token)
{
    auto body = [monitorID, cursor, pageSize](SqliteConnection& connection) {
        return historyBody(connection, monitorID, cursor, pageSize);
    };
    auto task = m_database.read(std::move(body), token);
    co_return co_await std::move(task);
}

QCoro::Task<std::vector<Reading>> SQLiteMonitorCheckRepository::checkRecord(Uuid checkID, std::stop_token token)
{
    auto body = [checkID](SqliteConnection& connection) { return checkRecordBody(connection, checkID); };
    auto task = m_database.read(std::move(body), token);
    co_return co_await std::move(task);
}

QCoro::Task<void> SQLiteMonitorCheckRepository::deleteCheck(Uuid monitorID, Uuid checkID, std::stop_token token)
{
    auto body = [monitorID, checkID](SqliteConnection& connection) { deleteCheckBody(connection, monitorID, checkID); };
    auto task = m_database.write(std::move(body), token);
    co_await std::move(task);
}

} // namespace tavlen
