#include "SqliteMigrator.h"

#include "SqliteConnection.h"
#include "SqliteStatement.h"
#include "SqliteTransaction.h"

#include <algorithm>

namespace tavlen {

void SqliteMigrator::registerMigration(std::string identifier, Body body)
{
    m_migrations.push_back({std::move(identifier), std::move(body)});
}

void SqliteMigrator::migrate(SqliteConnection& connection) const
{
    const auto isPending = [](const Migration& migration, const std::vector<std::string>& applied) {
        return std::find(applied.begin(), applied.end(), migration.identifier) == applied.end();
    };
    // Usually nothing is due: find that out in a read, so that another program's write transaction on the file
    // does not hold up an open that changes nothing. When something is due, the write transaction looks again.
    const bool isDue = inSqliteTransaction(connection, SqliteTransaction::Kind::readOnly, [&](SqliteConnection& c) {
        const std::vector<std::string> applied = appliedIdentifiers(c);
        return std::any_of(m_migrations.begin(), m_migrations.end(), [&](const Migration& migration) {
            return isPending(migration, applied);
        });
    });
    if (!isDue) {
        return;
    }

    SqliteTransaction transaction(connection, SqliteTransaction::Kind::immediate);
    connection.execute(std::string("CREATE TABLE IF NOT EXISTS ") + bookkeepingTable +
                       " (identifier TEXT NOT NULL PRIMARY KEY) STRICT");
    const std::vector<std::string> applied = appliedIdentifiers(connection);
    for (const Migration& migration : m_migrations) {
        if (!isPending(migration, applied)) {
            continue;
        }
        migration.body(connection);
        connection.prepare(std::string("INSERT INTO ") + bookkeepingTable + " (identifier) VALUES (?)")
            .bind(1, migration.identifier)
            .execute();
    }
    transaction.commit();
}

std::vector<std::string> SqliteMigrator::appliedIdentifiers(SqliteConnection& connection)
{
    std::vector<std::string> identifiers;
    if (!hasBookkeepingTable(connection)) {
        return identifiers;
    }
    SqliteStatement statement(connection,
                              std::string("SELECT identifier FROM ") + bookkeepingTable + " ORDER BY rowid");
    while (statement.step()) {
        identifiers.push_back(statement.columnText(0));
    }
    return identifiers;
}

bool SqliteMigrator::hasBookkeepingTable(SqliteConnection& connection)
{
    SqliteStatement statement(connection, "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?");
    statement.bind(1, bookkeepingTable);
    return statement.step();
}

} // namespace tavlen
