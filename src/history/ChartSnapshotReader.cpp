#include "ChartSnapshotReader.h"

#include "CancelledError.h"
#include "ChartFieldReader.h"
#include "CheckRowDecoders.h"
#include "MonitorDatabase.h"
#include "MonitorLookup.h"
#include "MonitorStoreError.h"
#include "SqliteStatement.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace tavlen {

namespace {

// Without checks, the all-time range shows the last seven days; it never starts later than a second before its
// end.
constexpr std::int64_t emptyHistoryMilliseconds = 604'800'000;
constexpr std::int64_t shortestAllTimeMilliseconds = 1000;

constexpr const char* earliestCheck = "SELECT min(started_at_ms) FROM monitor_checks WHERE monitor_id = ?";
constexpr const char* windowReadings =
    "WITH timeline AS (\n"
    "    SELECT id, started_at_ms, row_number() OVER (ORDER BY started_at_ms, id) AS ordinal\n"
    "    FROM monitor_checks WHERE monitor_id = ?\n"
    "), keys AS (\n"
    "    SELECT r.id AS check_id, r.started_at_ms, r.ordinal, o.field_id,\n"
    "        CASE WHEN r.started_at_ms < ? THEN 0 WHEN r.started_at_ms < ? THEN 1 ELSE 2 END AS region\n"
    "    FROM timeline r JOIN check_readings o ON o.check_id = r.id\n"
    "), ranked AS (\n"
    "    SELECT *,\n"
    "        row_number() OVER (PARTITION BY field_id, region ORDER BY started_at_ms, check_id) AS first_position,\n"
    "        row_number() OVER (PARTITION BY field_id, region ORDER BY started_at_ms DESC, check_id DESC) AS "
    "last_position\n"
    "    FROM keys\n"
    ")\n"
    "SELECT k.check_id, k.field_id, k.started_at_ms, k.ordinal, o.value_type, o.number_value, o.text_value,\n"
    "    CAST(o.field_name AS BLOB) AS field_name_bytes, CAST(o.text_value AS BLOB) AS text_bytes\n"
    "FROM ranked k JOIN check_readings o ON o.check_id = k.check_id AND o.field_id = k.field_id\n"
    "WHERE k.region = 1 OR (k.region = 0 AND k.last_position = 1) OR (k.region = 2 AND k.first_position = 1)\n"
    "ORDER BY k.started_at_ms, k.check_id, o.position";
constexpr const char* windowChecks =
    "SELECT id, started_at_ms, CAST(error_code AS BLOB) AS code_bytes,\n"
    "    CAST(error_message AS BLOB) AS message_bytes\n"
    "FROM monitor_checks WHERE monitor_id = ? AND started_at_ms >= ? AND started_at_ms < ?\n"
    "ORDER BY started_at_ms, id";

std::int64_t saturatingMinus(std::int64_t value, std::int64_t amount)
{
    std::int64_t result = 0;
    return __builtin_sub_overflow(value, amount, &result) ? std::numeric_limits<std::int64_t>::min() : result;
}

Uuid uuidAt(const SqliteStatement& row, int column)
{
    const std::optional<Uuid> id = Uuid::parse(row.columnText(column));
    if (!id) {
        throw MonitorStoreError::invalidStoredData();
    }
    return *id;
}

ChartWindow resolveWindow(SqliteConnection& connection, const Uuid& monitorID, const ChartRange& range)
{
    SqliteStatement statement(connection, earliestCheck);
    statement.bind(1, monitorID.lowercaseString());
    const std::optional<std::int64_t> earliest = statement.step() ? statement.columnOptionalInt64(0) : std::nullopt;
    const std::int64_t end = range.endMilliseconds;
    if (range.startMilliseconds) {
        return ChartWindow{*range.startMilliseconds, end};
    }
    const std::int64_t first = earliest.value_or(saturatingMinus(end, emptyHistoryMilliseconds));
    return ChartWindow{std::min(saturatingMinus(end, shortestAllTimeMilliseconds), first), end};
}

std::vector<ChartReading> readSamples(SqliteConnection& connection, const Uuid& monitorID, const ChartWindow& window)
{
    SqliteStatement statement(connection, windowReadings);
    statement.bindAll(monitorID.lowercaseString(), window.startMilliseconds, window.endMilliseconds);
    std::vector<ChartReading> samples;
    if (!statement.step()) {
        return samples;
    }
    const ReadingColumns columns = ReadingColumns::of(statement);
    do {
        const Uuid fieldID = uuidAt(statement, 1);
        Reading reading = decodeReadingRow(statement, columns, fieldID);
        samples.push_back(ChartReading{uuidAt(statement, 0),
                                       fieldID,
                                       statement.columnInt64(2),
                                       statement.columnInt64(3),
                                       std::move(reading.fieldName),
                                       std::move(reading.value)});
    } while (statement.step());
    return samples;
}

std::vector<ChartCheckEvent> readChecks(SqliteConnection& connection,
                                        const Uuid& monitorID,
                                        const ChartWindow& window,
                                        const std::vector<ChartReading>& samples)
{
    // The fields each check read in the window, in one pass over the samples.
    std::unordered_map<Uuid, std::set<Uuid>> fieldsByCheck;
    for (const ChartReading& sample : samples) {
        if (window.contains(sample.timeMilliseconds)) {
            fieldsByCheck[sample.checkID].insert(sample.fieldID);
        }
    }
    SqliteStatement statement(connection, windowChecks);
    statement.bindAll(monitorID.lowercaseString(), window.startMilliseconds, window.endMilliseconds);
    std::vector<ChartCheckEvent> checks;
    while (statement.step()) {
        ChartCheckEvent event{uuidAt(statement, 0), statement.columnInt64(1), std::nullopt, {}};
        const std::optional<std::string> code = decodeUTF8Column(statement, "code_bytes");
        const std::optional<std::string> message = decodeUTF8Column(statement, "message_bytes");
        const auto fields = fieldsByCheck.find(event.id);
        if (code.has_value() != message.has_value() || (code && fields != fieldsByCheck.end())) {
            throw MonitorStoreError::invalidStoredData(); // a failed check never holds readings
        }
        if (code) {
            event.failure.emplace(*code, *message);
        } else if (fields != fieldsByCheck.end()) {
            event.fieldIDs = std::move(fields->second);
        }
        checks.push_back(std::move(event));
    }
    return checks;
}

void throwIfStopped(const std::stop_token& token)
{
    if (token.stop_requested()) {
        throw CancelledError();
    }
}

} // namespace

ChartSnapshot ChartSnapshotReader::read(SqliteConnection& connection,
                                        const Uuid& monitorID,
                                        const ChartRange& range,
                                        const std::stop_token& token)
{
    throwIfStopped(token);
    if (!fetchMonitor(connection, monitorID)) {
        throw MonitorStoreError::missingMonitor();
    }
    ChartSnapshot snapshot;
    snapshot.window = resolveWindow(connection, monitorID, range);
    snapshot.fields = readChartFields(connection, monitorID);
    snapshot.samples = readSamples(connection, monitorID, snapshot.window);
    snapshot.checks = readChecks(connection, monitorID, snapshot.window, snapshot.samples);
    throwIfStopped(token);
    return snapshot;
}

QCoro::Task<ChartSnapshot> ChartSnapshotReader::chartSnapshot(Uuid monitorID, ChartRange range, std::stop_token token)
{
    auto body = [monitorID, range, token](SqliteConnection& connection) {
        return read(connection, monitorID, range, token);
    };
    auto task = m_database.read(std::move(body), token);
    co_return co_await std::move(task);
}

} // namespace tavlen
