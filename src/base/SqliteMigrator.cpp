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
    SqliteTransaction transaction(connection, SqliteTransaction::Kind::immediate);
    connection.execute(std::string("CREATE TABLE IF NOT EXISTS ") + bookkeepingTable +
                       " (identifier TEXT NOT NULL PRIMARY KEY) STRICT");
    const std::vector<std::string> applied = appliedIdentifiers(connection);
    for (const Migration& migration : m_migrations) {
        if (std::find(applied.begin(), applied.end(), migration.identifier) != applied.end()) {
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
