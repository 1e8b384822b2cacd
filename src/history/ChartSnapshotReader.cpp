#include "ChartSnapshotReader.h"

#include "CancelledError.h"
#include "ChartFieldReader.h"
#include "ChartSnapshotStatements.h"
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

std::int64_t saturatingMinus(std::int64_t value, std::int64_t amount)
{
    std::int64_t result = 0;
    return __builtin_sub_overflow(value, amount, &result) ? std::numeric_limits<std::int64_t>::min() : result;
}

Uuid uuidAt(const SqliteStatement& row, int column)
{
    const std::optional<Uuid> id = Uuid::parse(row.columnTextView(column));
    if (!id) {
        throw MonitorStoreError::invalidStoredData();
    }
    return *id;
}

ChartWindow resolveWindow(SqliteConnection& connection, const Uuid& monitorID, const ChartRange& range)
{
    SqliteStatement statement(connection, chart_statements::earliestCheck);
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
    SqliteStatement statement(connection, chart_statements::windowReadings);
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
    SqliteStatement statement(connection, chart_statements::windowChecks);
    statement.bindAll(monitorID.lowercaseString(), window.startMilliseconds, window.endMilliseconds);
    std::vector<ChartCheckEvent> checks;
    while (statement.step()) {
        ChartCheckEvent event{uuidAt(statement, 0), statement.columnInt64(1), std::nullopt, {}};
        const std::optional<std::string> code = decodeUTF8Column(statement, 2);
        const std::optional<std::string> message = decodeUTF8Column(statement, 3);
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
    requireMonitor(connection, monitorID);
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
