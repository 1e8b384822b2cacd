#include "MonitorDatabase.h"

#include "FileDescriptor.h"
#include "SqliteStatement.h"
#include "StorageLog.h"
#include "UserDirectories.h"
#include "WorkspaceSchema.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace tavlen {

namespace {

constexpr const char* workspaceFileName = "Tavlen.sqlite";

// Creates the directory and its missing parents, each private to the user (an existing one is left as it is).
void createPrivateDirectories(const std::filesystem::path& directory)
{
    if (directory.empty()) {
        return;
    }
    std::filesystem::path current;
    for (const auto& part : directory) {
        current /= part;
        if (::mkdir(current.c_str(), 0700) != 0 && errno != EEXIST) {
            throw std::system_error(errno, std::generic_category(), "cannot create " + current.string());
        }
    }
    if (!std::filesystem::is_directory(directory)) {
        throw std::system_error(std::make_error_code(std::errc::not_a_directory), directory.string());
    }
}

// The workspace will hold API keys: make the file readable by the user alone before SQLite first opens it. An
// existing file keeps its mode. SQLite gives its journal the mode of the database file.
void createPrivateFile(const std::filesystem::path& file)
{
    const FileDescriptor created(::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (created.isOpen()) {
        return;
    }
    if (errno != EEXIST) {
        throw std::system_error(errno, std::generic_category(), "cannot create " + file.string());
    }
    // O_NOFOLLOW refuses a symbolic link only when creating; SQLite would follow it and create its target with
    // the default mode. The workspace is a regular file of its own or nothing.
    struct stat status = {};
    if (::lstat(file.c_str(), &status) != 0) {
        throw std::system_error(errno, std::generic_category(), "cannot examine " + file.string());
    }
    if (!S_ISREG(status.st_mode)) {
        throw std::system_error(std::make_error_code(std::errc::too_many_symbolic_link_levels),
                                file.string() + " is not a regular file");
    }
}

std::string sqliteVersion(SqliteConnection& connection)
{
    SqliteStatement statement(connection, "SELECT sqlite_version()");
    if (statement.step()) {
        if (const auto version = statement.columnOptionalText(0)) {
            return *version;
        }
    }
    return "unknown";
}

} // namespace

MonitorDatabase::MonitorDatabase(std::optional<std::filesystem::path> url, std::chrono::milliseconds busyTimeout)
    : m_url(std::move(url))
    , m_busyTimeout(busyTimeout)
    , m_executor("tavlen.db")
{}

MonitorDatabase::~MonitorDatabase() = default;

std::filesystem::path MonitorDatabase::defaultFileURL(std::string_view folderName)
{
    return userDataDirectory() / std::filesystem::path(folderName) / workspaceFileName;
}

DatabaseQueue& MonitorDatabase::openQueueNow()
{
    if (m_queue) {
        return *m_queue;
    }
    if (!m_url) {
        throw MonitorStoreError::storage();
    }
    createPrivateDirectories(m_url->parent_path());
    createPrivateFile(*m_url);

    SqliteConfiguration configuration;
    configuration.foreignKeys = true;
    configuration.busyTimeout = m_busyTimeout;
    configuration.preparationStatements = {"PRAGMA synchronous = FULL"};
    auto connection = std::make_unique<SqliteConnection>(*m_url, configuration);

    inSqliteTransaction(*connection, SqliteTransaction::Kind::readOnly, verifyWorkspaceSchema);
    migrateWorkspace(*connection);
    const std::string version = inSqliteTransaction(*connection, SqliteTransaction::Kind::readOnly, sqliteVersion);
    qCDebug(storageLog, "Opened workspace with SQLite %s", version.c_str());

    m_queue = std::make_unique<DatabaseQueue>(m_executor, std::move(connection));
    return *m_queue;
}

} // namespace tavlen
