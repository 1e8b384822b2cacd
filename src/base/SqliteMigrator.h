#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tavlen {

class SqliteConnection;

// Named migrations applied in registration order. Each applied identifier is recorded as one row of the
// bookkeeping table; a recorded migration never runs again.
class SqliteMigrator
{
public:
    // The bookkeeping table: one row per applied migration, its identifier in the column "identifier".
    static constexpr const char* bookkeepingTable = "schema_migrations";

    using Body = std::function<void(SqliteConnection&)>;

    void registerMigration(std::string identifier, Body body);

    // Applies the pending migrations, all in one immediate transaction: either every pending migration and its
    // record is kept, or (on a throw) nothing is. When none is pending it only reads: no write lock is taken.
    void migrate(SqliteConnection& connection) const;

    // The identifiers recorded in the bookkeeping table, in the order they were applied (empty when the table does
    // not exist).
    static std::vector<std::string> appliedIdentifiers(SqliteConnection& connection);
    static bool hasBookkeepingTable(SqliteConnection& connection);

private:
    struct Migration
    {
        std::string identifier;
        Body body;
    };

    std::vector<Migration> m_migrations;
};

} // namespace tavlen
