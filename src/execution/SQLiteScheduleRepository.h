#pragma once

#include "ScheduleRepository.h"
#include "ScheduleRowCache.h"

#include <memory>
#include <string_view>

namespace tavlen {

class MonitorDatabase;
class SqliteConnection;
class SqliteStatement;

// Runtime states and the queue of due occurrences in the workspace file; each operation is one write access of
// the database, so a failure leaves nothing of it behind. Besides the database it holds only what the last
// refresh decoded, which serves the next one while the stored texts are unchanged.
class SQLiteScheduleRepository final : public ScheduleRepository
{
public:
    explicit SQLiteScheduleRepository(MonitorDatabase& database)
        : m_database(database)
    {}

    // Consumes at most one due occurrence per monitor: missed occurrences coalesce into one queued row, and a
    // monitor never has more than one.
    QCoro::Task<ScheduleSnapshot> refresh(Date now, std::string timeZoneID) override;

    // Deletes the row only while its monitor is enabled under the same schedule version and its saved steps name
    // usable models, so an overtaken check is never claimed twice or under a changed schedule.
    QCoro::Task<bool> claim(QueuedCheck check) override;

    // The body of refresh, inside the caller's write transaction; cache keeps its decoding for the next call.
    static ScheduleSnapshot
    refreshNow(SqliteConnection& connection, Date now, std::string_view timeZoneID, ScheduleRowCache& cache);
    // The body of claim, inside the caller's write transaction.
    static bool claimNow(SqliteConnection& connection, const QueuedCheck& check);

    // A row of scheduled_checks_queue (columns found by name); invalidStoredData when an id is not a UUID.
    static QueuedCheck decodeQueuedCheck(const SqliteStatement& row);

private:
    MonitorDatabase& m_database;
    // Used inside refresh's access only, so on the database's thread; shared with the queued access, which can
    // outlive the repository.
    std::shared_ptr<ScheduleRowCache> m_rows = std::make_shared<ScheduleRowCache>();
};

} // namespace tavlen
