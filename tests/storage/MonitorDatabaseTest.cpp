#include "MonitorDatabase.h"

#include "BoundedWait.h"
#include "DatabaseFailure.h"
#include "MonitorCheckError.h"
#include "MonitorStoreError.h"
#include "ScopedEnvironment.h"
#include "SqliteError.h"
#include "SqliteStatement.h"
#include "TemporaryDirectory.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <mutex>
#include <system_error>

namespace tavlen {
namespace {

// The database's tasks are awaited with a generous bound, so a lost wake-up fails instead of hanging.
template <class T> T finish(QCoro::Task<T> task)
{
    return test::waitBounded(std::move(task), std::chrono::seconds(60));
}

template <class T> MonitorStoreError::Kind failureOf(QCoro::Task<T> task)
{
    try {
        finish(std::move(task));
    } catch (const MonitorStoreError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "the operation succeeded";
    return MonitorStoreError::Kind::validation;
}

std::string fileBytes(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

std::int64_t countRows(SqliteConnection& connection, const std::string& table)
{
    SqliteStatement statement(connection, "SELECT count(*) FROM " + table);
    statement.step();
    return statement.columnInt64(0);
}

constexpr const char* insertMonitor =
    "INSERT INTO monitors (id, name, version, created_at_ms) VALUES ('m1', 'Prices', 1, 1000)";

// Collects the messages of the storage log while it lives.
class StorageLogCapture
{
public:
    StorageLogCapture()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("org.tavlen.Tavlen.Storage.debug=true"));
        s_messages.clear();
        m_previous = qInstallMessageHandler(&StorageLogCapture::handle);
    }

    ~StorageLogCapture()
    {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QString());
    }

    std::vector<std::string> messages() const
    {
        std::lock_guard lock(s_mutex);
        return s_messages;
    }

private:
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        if (context.category != nullptr && std::string_view(context.category) == "org.tavlen.Tavlen.Storage") {
            std::lock_guard lock(s_mutex);
            s_messages.push_back(message.toStdString());
        }
    }

    static inline std::mutex s_mutex;
    static inline std::vector<std::string> s_messages;
    QtMessageHandler m_previous = nullptr;
};

class MonitorDatabaseTest : public testing::Test
{
protected:
    test::TemporaryDirectory m_directory;
    std::filesystem::path m_file = m_directory / "data" / "org.tavlen.Tavlen" / "Tavlen.sqlite";
};

TEST_F(MonitorDatabaseTest, theFirstOperationCreatesAPrivateFolderAndFileWithTheSchemaAndOpensItOnce)
{
    StorageLogCapture log;
    MonitorDatabase database(m_file);
    EXPECT_FALSE(std::filesystem::exists(m_file.parent_path()));
    auto first = database.read([](SqliteConnection& c) { return countRows(c, "app_settings"); });
    auto second = database.read([](SqliteConnection& c) { return countRows(c, "monitors"); });
    EXPECT_EQ(finish(std::move(first)), 1);
    EXPECT_EQ(finish(std::move(second)), 0);
    EXPECT_EQ(finish(database.read([](SqliteConnection& c) { return countRows(c, "schema_migrations"); })), 1);

    struct stat status = {};
    ASSERT_EQ(::stat(m_file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(m_file.parent_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0077, 0u);

    const std::vector<std::string> messages = log.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages.front().starts_with("Opened workspace with SQLite 3.")) << messages.front();
}

// A link where the workspace goes is never followed: neither a missing target (which SQLite would create with
// the default mode) nor an existing file is opened through it.
TEST_F(MonitorDatabaseTest, aSymbolicLinkInPlaceOfTheFileIsRefusedAsAStorageFailure)
{
    std::filesystem::create_directories(m_file.parent_path());
    const std::filesystem::path missing = m_directory / "missing.sqlite";
    const std::filesystem::path existing = m_directory / "existing.sqlite";
    std::ofstream(existing).put('x');
    for (const auto& target : {missing, existing}) {
        SCOPED_TRACE(target.string());
        std::filesystem::remove(m_file);
        std::filesystem::create_symlink(target, m_file);
        MonitorDatabase database(m_file);
        EXPECT_EQ(failureOf(database.read([](SqliteConnection& c) { return countRows(c, "monitors"); })),
                  MonitorStoreError::Kind::storage);
        EXPECT_TRUE(std::filesystem::is_symlink(m_file));
    }
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(fileBytes(existing), "x");
}

TEST_F(MonitorDatabaseTest, theRollbackJournalIsAsPrivateAsTheFile)
{
    MonitorDatabase database(m_file);
    const std::string journal = m_file.string() + "-journal";
    const auto journalMode = finish(database.write([&journal](SqliteConnection& c) {
        c.execute(insertMonitor);
        struct stat status = {};
        return ::stat(journal.c_str(), &status) == 0 ? static_cast<int>(status.st_mode & 0777) : -1;
    }));
    EXPECT_EQ(journalMode, 0600);
}

TEST_F(MonitorDatabaseTest, theConnectionHasForeignKeysFullSyncAndTheRollbackJournal)
{
    MonitorDatabase database(m_file);
    const auto settings = finish(database.read([](SqliteConnection& c) {
        std::vector<std::string> values;
        for (const char* pragma : {"PRAGMA foreign_keys", "PRAGMA synchronous", "PRAGMA journal_mode"}) {
            SqliteStatement statement(c, pragma);
            statement.step();
            values.push_back(statement.isNull(0) ? "null"
                             : sqlite3_column_type(statement.handle(), 0) == SQLITE_TEXT
                                 ? statement.columnText(0)
                                 : std::to_string(statement.columnInt64(0)));
        }
        return values;
    }));
    EXPECT_EQ(settings, (std::vector<std::string>{"1", "2", "delete"}));
}

TEST_F(MonitorDatabaseTest, aWriteCommitsWhatItsBodyDidAndAFailingOneKeepsNothing)
{
    MonitorDatabase database(m_file);
    finish(database.write([](SqliteConnection& c) { c.execute(insertMonitor); }));

    struct Case
    {
        const char* name;
        const char* sql;
    };

    const Case cases[] = {
        {"a CHECK violation", "UPDATE monitors SET version = 0"},
        {"a foreign-key violation", "INSERT INTO monitor_steps VALUES ('nobody', 1, 1, '{}')"},
        {"the readings trigger",
         "INSERT INTO monitor_checks (id, monitor_id, started_at_ms, completed_at_ms, error_code, error_message) "
         "VALUES ('k', 'm1', 1, 2, 'x', 'y'); INSERT INTO check_readings VALUES ('k', 0, 'f', 'F', 'text', NULL, 'v')"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(failureOf(database.write([&](SqliteConnection& c) {
                      c.execute("UPDATE monitors SET name = 'Renamed'; INSERT INTO monitors (id, name, version, "
                                "created_at_ms) VALUES ('m2', 'Second', 1, 2)");
                      c.execute(row.sql);
                  })),
                  MonitorStoreError::Kind::storage);
        const auto names = finish(database.read([](SqliteConnection& c) {
            SqliteStatement statement(c, "SELECT group_concat(name) FROM monitors");
            statement.step();
            return statement.columnText(0);
        }));
        EXPECT_EQ(names, "Prices");
        EXPECT_EQ(finish(database.read([](SqliteConnection& c) { return countRows(c, "monitor_checks"); })), 0);
    }
}

TEST_F(MonitorDatabaseTest, aReadAccessCannotWrite)
{
    MonitorDatabase database(m_file);
    EXPECT_EQ(failureOf(database.read([](SqliteConnection& c) { c.execute(insertMonitor); })),
              MonitorStoreError::Kind::storage);
    EXPECT_EQ(finish(database.read([](SqliteConnection& c) { return countRows(c, "monitors"); })), 0);
    finish(database.write([](SqliteConnection& c) { c.execute(insertMonitor); }));
}

TEST_F(MonitorDatabaseTest, errorsOfTheBodyAreMapped)
{
    MonitorDatabase database(m_file);
    EXPECT_EQ(failureOf(database.read(
                  [](SqliteConnection&) -> int { throw MonitorStoreError::validation("Enter a name."); })),
              MonitorStoreError::Kind::validation);
    EXPECT_EQ(failureOf(database.write([](SqliteConnection&) -> int { throw std::runtime_error("json"); })),
              MonitorStoreError::Kind::storage);
    EXPECT_EQ(failureOf(database.write([](SqliteConnection&) -> int { throw SqliteError(SQLITE_CORRUPT, "x"); })),
              MonitorStoreError::Kind::invalidStoredData);
    EXPECT_EQ(failureOf(database.read([](SqliteConnection&) -> int { throw CancelledError(); })),
              MonitorStoreError::Kind::interrupted);
    try {
        finish(database.read([](SqliteConnection&) -> int { throw MonitorCheckError::missingCheck(); }));
        ADD_FAILURE() << "the read succeeded";
    } catch (const MonitorCheckError& error) {
        EXPECT_EQ(error.kind(), MonitorCheckError::Kind::missingCheck);
        EXPECT_EQ(error.errorDescription(), "This check no longer exists.");
    }
}

TEST(DatabaseFailureTest, theCauseOfAStorageFailureIsLoggedWithoutStoredSecrets)
{
    const StorageLogCapture log;
    const auto kindOf = [](std::exception_ptr failure) {
        try {
            std::rethrow_exception(mapDatabaseFailure(std::move(failure)));
        } catch (const MonitorStoreError& error) {
            return error.kind();
        }
        return MonitorStoreError::Kind::validation; // never reached: the mapping always gives an error
    };
    using Kind = MonitorStoreError::Kind;
    EXPECT_EQ(kindOf(std::make_exception_ptr(
                  std::system_error(EACCES, std::generic_category(), "cannot create /data/org.tavlen.Tavlen"))),
              Kind::storage);
    EXPECT_EQ(kindOf(std::make_exception_ptr(SqliteError(SQLITE_IOERR_FSYNC, "disk I/O error"))), Kind::storage);
    std::exception_ptr jsonFailure;
    try {
        const nlohmann::json parsed = nlohmann::json::parse(R"({"apiKey": "sk-never-logged)");
        ADD_FAILURE() << "parsed " << parsed.dump();
    } catch (...) {
        jsonFailure = std::current_exception();
    }
    EXPECT_EQ(kindOf(jsonFailure), Kind::storage);
    EXPECT_EQ(kindOf(std::make_exception_ptr(42)), Kind::storage);
    // Ordinary outcomes are not failures of the workspace.
    EXPECT_EQ(kindOf(std::make_exception_ptr(SqliteError(SQLITE_BUSY, "database is locked"))), Kind::busy);
    EXPECT_EQ(kindOf(std::make_exception_ptr(MonitorStoreError::staleEdit())), Kind::staleEdit);

    const std::vector<std::string> messages = log.messages();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_NE(messages[0].find("cannot create /data/org.tavlen.Tavlen"), std::string::npos) << messages[0];
    EXPECT_NE(messages[1].find("disk I/O error"), std::string::npos) << messages[1];
    EXPECT_NE(messages[2].find("JSON error 101"), std::string::npos) << messages[2];
    EXPECT_EQ(messages[2].find("sk-never-logged"), std::string::npos) << messages[2];
    EXPECT_NE(messages[3].find("unknown type"), std::string::npos) << messages[3];
}

TEST(DatabaseFailureTest, sqliteFailuresAreClassifiedByTheirPrimaryCode)
{
    struct Case
    {
        const char* name;
        int code;
        MonitorStoreError::Kind expected;
    };

    using Kind = MonitorStoreError::Kind;
    const Case cases[] = {
        {"busy", SQLITE_BUSY, Kind::busy},
        {"busy snapshot", SQLITE_BUSY_SNAPSHOT, Kind::busy},
        {"locked by a shared cache", SQLITE_LOCKED_SHAREDCACHE, Kind::busy},
        {"corrupt index", SQLITE_CORRUPT_INDEX, Kind::invalidStoredData},
        {"not a database", SQLITE_NOTADB, Kind::invalidStoredData},
        {"interrupt", SQLITE_INTERRUPT, Kind::interrupted},
        {"trigger abort", SQLITE_CONSTRAINT_TRIGGER, Kind::storage},
        {"read-only file", SQLITE_READONLY_DBMOVED, Kind::storage},
        {"fsync failure", SQLITE_IOERR_FSYNC, Kind::storage},
        {"full disk", SQLITE_FULL, Kind::storage},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(storeErrorForSqliteCode(row.code).kind(), row.expected);
        try {
            std::rethrow_exception(mapDatabaseFailure(std::make_exception_ptr(SqliteError(row.code, "x"))));
        } catch (const MonitorStoreError& error) {
            EXPECT_EQ(error.kind(), row.expected);
        }
    }
}

TEST_F(MonitorDatabaseTest, accessGivesTheQueueForTheBodysOwnAccesses)
{
    MonitorDatabase database(m_file);
    const auto count = finish(database.access([](DatabaseQueue& queue) -> QCoro::Task<std::int64_t> {
        co_await queue.write([](SqliteConnection& c) { c.execute(insertMonitor); });
        co_return co_await queue.read([](SqliteConnection& c) { return countRows(c, "monitors"); });
    }));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(failureOf(database.access([](DatabaseQueue& queue) -> QCoro::Task<void> {
                  co_await queue.write(
                      [](SqliteConnection& c) { c.execute("INSERT INTO app_settings (id) VALUES (2)"); });
              })),
              MonitorStoreError::Kind::storage);
}

TEST_F(MonitorDatabaseTest, aCancelledCallerIsInterruptedEvenInsideALongStatement)
{
    MonitorDatabase database(m_file);
    std::stop_source before;
    before.request_stop();
    EXPECT_EQ(failureOf(database.write([](SqliteConnection& c) { c.execute(insertMonitor); }, before.get_token())),
              MonitorStoreError::Kind::interrupted);

    // The stop arrives while the access runs (requested from the body itself, so the order is certain).
    std::stop_source during;
    EXPECT_EQ(failureOf(database.write(
                  [&during](SqliteConnection& c) {
                      c.execute(insertMonitor);
                      during.request_stop();
                      c.execute(
                          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT count(*) FROM n");
                  },
                  during.get_token())),
              MonitorStoreError::Kind::interrupted);
    // The interrupt belonged to that caller alone.
    EXPECT_EQ(finish(database.read([](SqliteConnection& c) { return countRows(c, "monitors"); })), 0);
}

TEST_F(MonitorDatabaseTest, anotherConnectionsWriteLockPastTheBusyTimeoutIsBusy)
{
    EXPECT_EQ(MonitorDatabase::defaultBusyTimeout, std::chrono::seconds(5));
    constexpr std::chrono::milliseconds busyTimeout(300);
    MonitorDatabase database(m_file, busyTimeout);
    finish(database.write([](SqliteConnection& c) { c.execute(insertMonitor); }));
    SqliteConnection other(m_file);
    other.execute("BEGIN IMMEDIATE; UPDATE monitors SET name = 'Other'");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(failureOf(database.write([](SqliteConnection& c) { c.execute("UPDATE monitors SET version = 2"); })),
              MonitorStoreError::Kind::busy);
    EXPECT_GE(std::chrono::steady_clock::now() - started, busyTimeout - std::chrono::milliseconds(10));
    other.execute("ROLLBACK");
    finish(database.write([](SqliteConnection& c) { c.execute("UPDATE monitors SET version = 2"); }));
}

TEST_F(MonitorDatabaseTest, aFirstReadOfAMigratedFileIsNotHeldUpByAnotherConnectionsWrite)
{
    {
        MonitorDatabase first(m_file);
        finish(first.write([](SqliteConnection& c) { c.execute(insertMonitor); }));
    }
    SqliteConnection other(m_file);
    other.execute("BEGIN IMMEDIATE; UPDATE monitors SET name = 'Other'");
    MonitorDatabase database(m_file);
    // Nothing to migrate: opening only reads, and the rollback journal admits readers beside a writer.
    EXPECT_EQ(finish(database.read([](SqliteConnection& c) {
                  SqliteStatement statement(c, "SELECT name FROM monitors");
                  statement.step();
                  return statement.columnText(0);
              })),
              "Prices");
    other.execute("ROLLBACK");
}

TEST_F(MonitorDatabaseTest, aFileThatIsNotSqliteIsInvalidStoredDataAndKeptAsItIs)
{
    std::filesystem::create_directories(m_file.parent_path());
    std::ofstream(m_file, std::ios::binary) << std::string(8192, 'x');
    MonitorDatabase database(m_file);
    EXPECT_EQ(failureOf(database.read([](SqliteConnection&) { return 0; })),
              MonitorStoreError::Kind::invalidStoredData);
    EXPECT_EQ(fileBytes(m_file), std::string(8192, 'x'));
}

TEST_F(MonitorDatabaseTest, anUnsupportedSchemaIsRefusedOnEveryTryAndTheFileIsNotTouched)
{
    struct Case
    {
        const char* name;
        const char* setup;
    };

    const Case cases[] = {
        {"a foreign index and no bookkeeping", "CREATE TABLE t (v INTEGER); CREATE INDEX t_v ON t(v)"},
        {"v1_initial beside another identifier",
         "CREATE TABLE schema_migrations (identifier TEXT NOT NULL PRIMARY KEY);"
         "INSERT INTO schema_migrations VALUES ('v1_initial'), ('v0_beta')"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        test::TemporaryDirectory directory;
        const std::filesystem::path file = directory / "Tavlen.sqlite";
        SqliteConnection(file).execute(row.setup);
        const std::string before = fileBytes(file);
        MonitorDatabase database(file);
        for (int attempt = 0; attempt < 2; ++attempt) {
            EXPECT_EQ(failureOf(database.write([](SqliteConnection& c) { c.execute(insertMonitor); })),
                      MonitorStoreError::Kind::unsupportedSchema);
        }
        EXPECT_EQ(fileBytes(file), before);
        EXPECT_FALSE(std::filesystem::exists(directory / "Tavlen.sqlite-journal"));
    }
}

TEST_F(MonitorDatabaseTest, aFileHoldingOnlyAnEmptyBookkeepingTableIsMigrated)
{
    std::filesystem::create_directories(m_file.parent_path());
    SqliteConnection(m_file).execute("CREATE TABLE schema_migrations (identifier TEXT NOT NULL PRIMARY KEY) STRICT");
    MonitorDatabase database(m_file);
    EXPECT_EQ(finish(database.read([](SqliteConnection& c) { return countRows(c, "app_settings"); })), 1);
}

TEST_F(MonitorDatabaseTest, aLocationThatCannotHoldTheFileIsAStorageFailureRetriedLater)
{
    std::filesystem::create_directories(m_directory / "data");
    std::ofstream(m_directory / "data" / "org.tavlen.Tavlen") << "a file where the folder belongs";
    MonitorDatabase database(m_file);
    EXPECT_EQ(failureOf(database.read([](SqliteConnection&) { return 0; })), MonitorStoreError::Kind::storage);
    std::filesystem::remove(m_directory / "data" / "org.tavlen.Tavlen");
    EXPECT_EQ(finish(database.read([](SqliteConnection& c) { return countRows(c, "app_settings"); })), 1);

    MonitorDatabase nowhere(std::nullopt);
    EXPECT_EQ(failureOf(nowhere.read([](SqliteConnection&) { return 0; })), MonitorStoreError::Kind::storage);
}

TEST_F(MonitorDatabaseTest, theDefaultLocationFollowsTheDataHome)
{
    {
        const test::ScopedEnvironment dataHome("XDG_DATA_HOME", "/srv/data");
        EXPECT_EQ(MonitorDatabase::defaultFileURL("org.tavlen.Tavlen"), "/srv/data/org.tavlen.Tavlen/Tavlen.sqlite");
    }
    const test::ScopedEnvironment noDataHome("XDG_DATA_HOME", nullptr);
    const test::ScopedEnvironment home("HOME", "/home/someone");
    EXPECT_EQ(MonitorDatabase::defaultFileURL("org.tavlen.Tavlen"),
              "/home/someone/.local/share/org.tavlen.Tavlen/Tavlen.sqlite");
    // Without HOME the file still lies in a home directory, never relative to the working directory.
    const test::ScopedEnvironment noHome("HOME", nullptr);
    const std::filesystem::path withoutHome = MonitorDatabase::defaultFileURL("org.tavlen.Tavlen");
    EXPECT_TRUE(withoutHome.is_absolute()) << withoutHome;
    EXPECT_TRUE(withoutHome.string().ends_with("/.local/share/org.tavlen.Tavlen/Tavlen.sqlite")) << withoutHome;
}

} // namespace
} // namespace tavlen
