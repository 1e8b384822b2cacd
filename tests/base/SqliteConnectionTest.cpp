#include "SqliteConnection.h"

#include "SqliteCodes.h"
#include "SqliteStatement.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>

namespace tavlen {
namespace {

class SqliteConnectionTest : public testing::Test
{
protected:
    test::TemporaryDirectory m_directory;
    std::filesystem::path m_file = m_directory / "test.sqlite";
};

using test::primaryCodeOf;

TEST_F(SqliteConnectionTest, openingAMissingFileCreatesItAndAppliesTheConfiguration)
{
    SqliteConnection connection(m_file, {.preparationStatements = {"PRAGMA synchronous = FULL"}});
    EXPECT_TRUE(std::filesystem::exists(m_file));
    SqliteStatement foreignKeys(connection, "PRAGMA foreign_keys");
    ASSERT_TRUE(foreignKeys.step());
    EXPECT_EQ(foreignKeys.columnInt64(0), 1);
    SqliteStatement synchronous(connection, "PRAGMA synchronous");
    ASSERT_TRUE(synchronous.step());
    EXPECT_EQ(synchronous.columnInt64(0), 2); // FULL
    SqliteStatement journal(connection, "PRAGMA journal_mode");
    ASSERT_TRUE(journal.step());
    EXPECT_EQ(journal.columnText(0), "delete");
}

TEST_F(SqliteConnectionTest, statementRefusesTextHoldingTwoStatementsButAcceptsTrailingComments)
{
    SqliteConnection connection(m_file);
    EXPECT_EQ(primaryCodeOf([&] { SqliteStatement(connection, "SELECT 1; SELECT 2"); }), SQLITE_MISUSE);
    EXPECT_EQ(primaryCodeOf([&] { SqliteStatement(connection, "  -- nothing\n"); }), SQLITE_MISUSE);
    EXPECT_EQ(primaryCodeOf([&] { SqliteStatement(connection, "SELEC 1"); }), SQLITE_ERROR);
    SqliteStatement statement(connection, "SELECT 1; -- a note\n  ");
    ASSERT_TRUE(statement.step());
    EXPECT_EQ(statement.columnInt64(0), 1);
    EXPECT_FALSE(statement.step());
}

TEST_F(SqliteConnectionTest, bindingKeepsTypesAndAnEmptyTextIsNotNull)
{
    SqliteConnection connection(m_file);
    SqliteStatement statement(connection, "SELECT typeof(?1), typeof(?2), typeof(?3), typeof(?4), ?1, ?5, ?6");
    const std::string textWithNul("a\0b", 3);
    statement.bindAll(std::string(), std::int64_t{7}, 2.5, nullptr, std::optional<std::string>(), textWithNul);
    ASSERT_TRUE(statement.step());
    EXPECT_EQ(statement.columnText(0), "text");
    EXPECT_EQ(statement.columnText(1), "integer");
    EXPECT_EQ(statement.columnText(2), "real");
    EXPECT_EQ(statement.columnText(3), "null");
    EXPECT_EQ(statement.columnText(4), "");
    EXPECT_TRUE(statement.isNull(5));
    EXPECT_EQ(statement.columnOptionalText(5), std::nullopt);
    EXPECT_EQ(statement.columnText(6), textWithNul);
}

TEST_F(SqliteConnectionTest, typedColumnReadsRefuseAnotherStoredType)
{
    SqliteConnection connection(m_file);
    SqliteStatement statement(connection, "SELECT 1, 'one', 1.5, NULL AS absent");
    ASSERT_TRUE(statement.step());
    EXPECT_EQ(statement.columnDouble(0), 1.0);
    EXPECT_EQ(statement.columnIndex("absent"), 3);
    EXPECT_EQ(statement.columnOptionalInt64(3), std::nullopt);
    EXPECT_EQ(primaryCodeOf([&] { statement.columnInt64(1); }), SQLITE_MISMATCH);
    EXPECT_EQ(primaryCodeOf([&] { statement.columnText(0); }), SQLITE_MISMATCH);
    EXPECT_EQ(primaryCodeOf([&] { statement.columnInt64(2); }), SQLITE_MISMATCH);
    EXPECT_EQ(primaryCodeOf([&] { statement.columnText(3); }), SQLITE_MISMATCH);
    EXPECT_EQ(primaryCodeOf([&] { statement.columnInt64(9); }), SQLITE_RANGE);
    EXPECT_EQ(primaryCodeOf([&] { statement.columnIndex("missing"); }), SQLITE_RANGE);
}

TEST_F(SqliteConnectionTest, executeRunsAScriptAndReportsExtendedCodes)
{
    SqliteConnection connection(m_file);
    connection.execute("CREATE TABLE t (id INTEGER PRIMARY KEY, v TEXT NOT NULL CHECK (length(v) > 0)) STRICT;"
                       "INSERT INTO t (v) VALUES ('a'); INSERT INTO t (v) VALUES ('b');");
    EXPECT_EQ(connection.changes(), 1);
    try {
        connection.prepare("INSERT INTO t (v) VALUES (?)").bind(1, "").execute();
        FAIL() << "the CHECK constraint was not enforced";
    } catch (const SqliteError& error) {
        EXPECT_EQ(error.extendedCode(), SQLITE_CONSTRAINT_CHECK);
        EXPECT_EQ(error.primaryCode(), SQLITE_CONSTRAINT);
    }
}

TEST_F(SqliteConnectionTest, anotherConnectionsWriteLockFailsWithBusyAfterTheTimeout)
{
    SqliteConnection holder(m_file);
    holder.execute("CREATE TABLE t (v INTEGER) STRICT; BEGIN IMMEDIATE; INSERT INTO t VALUES (1);");
    SqliteConnection waiter(m_file, {.busyTimeout = std::chrono::milliseconds(50), .preparationStatements = {}});
    EXPECT_EQ(primaryCodeOf([&] { waiter.execute("BEGIN IMMEDIATE"); }), SQLITE_BUSY);
    holder.execute("COMMIT");
    waiter.execute("BEGIN IMMEDIATE; INSERT INTO t VALUES (2); COMMIT");
}

TEST_F(SqliteConnectionTest, interruptStopsALockWaitAndALongStatementUntilCleared)
{
    SqliteConnection holder(m_file);
    holder.execute("CREATE TABLE t (v INTEGER) STRICT; BEGIN IMMEDIATE;");
    SqliteConnection connection(m_file, {.busyTimeout = std::chrono::hours(1), .preparationStatements = {}});
    std::thread interrupter([&] { connection.interrupt(); });
    EXPECT_EQ(primaryCodeOf([&] { connection.execute("BEGIN IMMEDIATE"); }), SQLITE_INTERRUPT);
    interrupter.join();
    const char* endless = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n";
    EXPECT_EQ(primaryCodeOf([&] { connection.execute(endless); }), SQLITE_INTERRUPT);
    connection.clearInterrupt();
    holder.execute("ROLLBACK");
    connection.execute("INSERT INTO t VALUES (1)");
    EXPECT_EQ(connection.changes(), 1);
}

TEST_F(SqliteConnectionTest, aFileThatIsNotADatabaseFailsOnFirstUse)
{
    {
        std::FILE* file = std::fopen(m_file.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        const std::string junk(4096, 'x');
        std::fwrite(junk.data(), 1, junk.size(), file);
        std::fclose(file);
    }
    EXPECT_EQ(primaryCodeOf([&] {
                  SqliteConnection connection(m_file);
                  connection.execute("SELECT name FROM sqlite_schema");
              }),
              SQLITE_NOTADB);
}

} // namespace
} // namespace tavlen
