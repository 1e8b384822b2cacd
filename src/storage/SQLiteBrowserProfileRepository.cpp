#include "SQLiteBrowserProfileRepository.h"

#include "MonitorDatabase.h"
#include "MonitorStoreError.h"
#include "SqliteStatement.h"

namespace tavlen {

QCoro::Task<std::optional<std::string>> SQLiteBrowserProfileRepository::selectedProfileID()
{
    auto body = [](SqliteConnection& connection) {
        SqliteStatement statement(connection, "SELECT selected_browser_profile_id FROM app_settings WHERE id = 1");
        if (!statement.step()) {
            throw MonitorStoreError::invalidStoredData();
        }
        return statement.columnOptionalText(0);
    };
    auto task = m_database.read(std::move(body));
    co_return co_await std::move(task);
}

QCoro::Task<void> SQLiteBrowserProfileRepository::setSelectedProfileID(std::string profileID)
{
    auto body = [profileID = std::move(profileID)](SqliteConnection& connection) {
        connection.prepare("UPDATE app_settings SET selected_browser_profile_id = ? WHERE id = 1")
            .bind(1, profileID)
            .execute();
        if (connection.changes() != 1) {
            throw MonitorStoreError::invalidStoredData();
        }
    };
    auto task = m_database.write(std::move(body));
    co_await std::move(task);
}

} // namespace tavlen
