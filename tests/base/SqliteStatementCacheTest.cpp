#include "SqliteConnection.h"
#include "SqliteStatement.h"
#include "SqliteTransaction.h"
#include "TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace tavlen {
namespace {

class SqliteStatementCacheTest : public testing::Test
{
protected:
    test::TemporaryDirectory m_directory;
    SqliteConnection m_connection{m_directory / "test.sqlite"};
};

TEST_F(SqliteStatementCacheTest, aStatementMadeAgainReusesTheReleasedOneWithoutItsBindingsOrRun)
{
    m_connection.execute("CREATE TABLE t (v INTEGER); INSERT INTO t VALUES (1), (2)");
    sqlite3_stmt* first = nullptr;
    {
        SqliteStatement statement(m_connection, "SELECT ?1, v FROM t ORDER BY v");
        statement.bind(1, std::int64_t{7});
        ASSERT_TRUE(statement.step()); // left in the middle of its rows
        first = statement.handle();
    }
    SqliteStatement again(m_connection, "SELECT ?1, v FROM t ORDER BY v");
    EXPECT_EQ(again.handle(), first);
    ASSERT_TRUE(again.step());
    EXPECT_TRUE(again.isNull(0));
    EXPECT_EQ(again.columnInt64(1), 1);

    // While one is in use, the same text gives a statement of its own.
    SqliteStatement second(m_connection, "SELECT ?1, v FROM t ORDER BY v");
    EXPECT_NE(second.handle(), again.handle());
    ASSERT_TRUE(second.step());
    EXPECT_EQ(second.columnInt64(1), 1);
}

TEST_F(SqliteStatementCacheTest, reuseNeverEscapesTheChecksOfAFreshPreparation)
{
    {
        SqliteStatement(m_connection, "SELECT 1");
    }
    EXPECT_THROW(SqliteStatement(m_connection, "SELECT 1; SELECT 2"), SqliteError);

    // Pragmas and transaction control are checked whenever they are prepared: a read access cannot switch its
    // protection off, and a transaction's body cannot end it, with statements prepared earlier elsewhere.
    SqliteStatement(m_connection, "PRAGMA query_only = 0").execute();
    SqliteStatement(m_connection, "BEGIN").execute();
    SqliteStatement(m_connection, "COMMIT").execute();
    inSqliteTransaction(m_connection, SqliteTransaction::Kind::readOnly, [](SqliteConnection& c) {
        EXPECT_THROW(SqliteStatement(c, "PRAGMA query_only = 0"), SqliteError);
        EXPECT_THROW(SqliteStatement(c, "COMMIT"), SqliteError);
    });
}

} // namespace
} // namespace tavlen
