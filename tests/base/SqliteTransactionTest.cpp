#include "SqliteTransaction.h"

#include "SqliteCodes.h"
#include "SqliteConnection.h"
#include "SqliteMigrator.h"
#include "SqliteStatement.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tavlen {
namespace {

using test::primaryCodeOf;

class SqliteTransactionTest : public testing::Test
{
protected:
    void SetUp() override { m_connection.execute("CREATE TABLE t (v INTEGER NOT NULL) STRICT"); }

    std::int64_t rowCount()
    {
        SqliteStatement statement(m_connection, "SELECT count(*) FROM t");
        statement.step();
        return statement.columnInt64(0);
    }

    test::TemporaryDirectory m_directory;
    SqliteConnection m_connection{m_directory / "test.sqlite"};
};

TEST_F(SqliteTransactionTest, aBodyThatThrowsLeavesNothingAndACommittedOneStays)
{
    EXPECT_THROW(inSqliteTransaction(m_connection,
                                     SqliteTransaction::Kind::immediate,
                                     [](SqliteConnection& c) {
                                         c.execute("INSERT INTO t VALUES (1)");
                                         c.execute("INSERT INTO t VALUES (NULL)");
                                     }),
                 SqliteError);
    EXPECT_EQ(rowCount(), 0);
    EXPECT_FALSE(m_connection.isInTransaction());
    const int result = inSqliteTransaction(m_connection, SqliteTransaction::Kind::deferred, [](SqliteConnection& c) {
        c.execute("INSERT INTO t VALUES (1); INSERT INTO t VALUES (2)");
        return 42;
    });
    EXPECT_EQ(result, 42);
    EXPECT_EQ(rowCount(), 2);
}

TEST_F(SqliteTransactionTest, aTransactionThatSqliteRolledBackDoesNotReportItsCommitAsDone)
{
    m_connection.execute("CREATE UNIQUE INDEX t_v ON t(v)");
    EXPECT_EQ(primaryCodeOf([&] {
                  inSqliteTransaction(m_connection, SqliteTransaction::Kind::immediate, [](SqliteConnection& c) {
                      c.execute("INSERT INTO t VALUES (1)");
                      try {
                          c.execute("INSERT OR ROLLBACK INTO t VALUES (1)");
                      } catch (const SqliteError&) {
                      }
                  });
              }),
              SQLITE_ABORT);
    EXPECT_FALSE(m_connection.isInTransaction());
    EXPECT_EQ(rowCount(), 0);
    inSqliteTransaction(m_connection, SqliteTransaction::Kind::immediate, [](SqliteConnection& c) {
        c.execute("INSERT INTO t VALUES (2)");
    });
    EXPECT_EQ(rowCount(), 1);
}

TEST_F(SqliteTransactionTest, aBodyCannotEndOrNestTheTransaction)
{
    SqliteTransaction transaction(m_connection, SqliteTransaction::Kind::immediate);
    m_connection.execute("INSERT INTO t VALUES (1)");
    EXPECT_EQ(primaryCodeOf([&] { m_connection.execute("COMMIT"); }), SQLITE_AUTH);
    EXPECT_EQ(primaryCodeOf([&] { m_connection.execute("BEGIN"); }), SQLITE_AUTH);
    transaction.rollback();
    EXPECT_EQ(rowCount(), 0);
    m_connection.execute("BEGIN; INSERT INTO t VALUES (1); COMMIT");
    EXPECT_EQ(rowCount(), 1);
}

TEST_F(SqliteTransactionTest, aReadOnlyAccessRefusesEveryWriteAndEndsCleanly)
{
    struct Case
    {
        const char* name;
        const char* sql;
    };

    const Case cases[] = {
        {"insert", "INSERT INTO t VALUES (1)"},
        {"create", "CREATE TABLE u (v INTEGER)"},
        {"header change", "PRAGMA user_version = 3"},
        {"switching the guard off", "PRAGMA query_only = 0"},
        {"ending the access", "COMMIT"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        inSqliteTransaction(m_connection, SqliteTransaction::Kind::readOnly, [&](SqliteConnection& c) {
            EXPECT_TRUE(c.isReadOnlyAccess());
            EXPECT_NE(primaryCodeOf([&] { c.execute(row.sql); }), SQLITE_OK);
            EXPECT_NE(primaryCodeOf([&] { c.execute("INSERT INTO t VALUES (1)"); }), SQLITE_OK);
        });
    }
    EXPECT_FALSE(m_connection.isReadOnlyAccess());
    m_connection.execute("INSERT INTO t VALUES (1)");
    EXPECT_EQ(rowCount(), 1);
    SqliteStatement userVersion(m_connection, "PRAGMA user_version");
    userVersion.step();
    EXPECT_EQ(userVersion.columnInt64(0), 0);
}

TEST_F(SqliteTransactionTest, anInterruptedWriteRollsBackAndTheConnectionRecovers)
{
    m_connection.interrupt();
    EXPECT_EQ(primaryCodeOf([&] {
                  inSqliteTransaction(m_connection, SqliteTransaction::Kind::immediate, [](SqliteConnection& c) {
                      c.execute("INSERT INTO t VALUES (1)");
                      c.execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) "
                                "INSERT INTO t SELECT i FROM n");
                  });
              }),
              SQLITE_INTERRUPT);
    m_connection.clearInterrupt();
    EXPECT_FALSE(m_connection.isInTransaction());
    EXPECT_EQ(rowCount(), 0);
}

TEST_F(SqliteTransactionTest, migratorAppliesEachMigrationOnceAndRecordsIt)
{
    int runs = 0;
    SqliteMigrator migrator;
    migrator.registerMigration("first", [&](SqliteConnection& c) {
        ++runs;
        c.execute("CREATE TABLE a (v INTEGER) STRICT; INSERT INTO a VALUES (1);");
    });
    EXPECT_FALSE(SqliteMigrator::hasBookkeepingTable(m_connection));
    migrator.migrate(m_connection);
    migrator.migrate(m_connection);
    EXPECT_EQ(runs, 1);
    migrator.registerMigration("second", [&](SqliteConnection& c) { c.execute("CREATE TABLE b (v INTEGER)"); });
    migrator.migrate(m_connection);
    EXPECT_EQ(SqliteMigrator::appliedIdentifiers(m_connection), (std::vector<std::string>{"first", "second"}));
}

TEST_F(SqliteTransactionTest, aFailingMigrationLeavesNoTraceOfAnyPendingMigration)
{
    SqliteMigrator migrator;
    migrator.registerMigration("good", [](SqliteConnection& c) { c.execute("CREATE TABLE a (v INTEGER)"); });
    migrator.registerMigration("bad", [](SqliteConnection& c) { c.execute("CREATE TABLE a (v INTEGER)"); });
    EXPECT_THROW(migrator.migrate(m_connection), SqliteError);
    EXPECT_FALSE(SqliteMigrator::hasBookkeepingTable(m_connection));
    SqliteStatement tables(m_connection, "SELECT count(*) FROM sqlite_schema WHERE name = 'a'");
    tables.step();
    EXPECT_EQ(tables.columnInt64(0), 0);
}

} // namespace
} // namespace tavlen
