#include "SQLiteProviderKeyStore.h"

#include "MonitorDatabase.h"
#include "ProviderKeyError.h"
#include "ProviderKeyRule.h"
#include "SqliteStatement.h"
#include "Utf8.h"

#include <exception>

namespace tavlen {

SQLiteProviderKeyStore::SQLiteProviderKeyStore(MonitorDatabase& database, ModelSelection::Provider provider)
    : m_database(&database)
    , m_provider(provider)
{}

QCoro::Task<bool> SQLiteProviderKeyStore::hasKey()
{
    const std::string provider = ModelSelection::storedText(m_provider);
    auto body = [provider](SqliteConnection& connection) {
        SqliteStatement statement =
            connection.prepare("SELECT EXISTS(SELECT 1 FROM provider_credentials WHERE provider = ?)");
        statement.bindAll(provider);
        return statement.step() && !statement.isNull(0) && statement.columnInt64(0) != 0;
    };
    bool saved = false;
    try {
        auto task = m_database->read(std::move(body));
        saved = co_await std::move(task);
    } catch (...) {
        throw ProviderKeyError::storage();
    }
    co_return saved;
}

QCoro::Task<std::optional<std::string>> SQLiteProviderKeyStore::apiKey()
{
    const std::string provider = ModelSelection::storedText(m_provider);
    auto body = [provider](SqliteConnection& connection) -> std::optional<std::string> {
        SqliteStatement statement =
            connection.prepare("SELECT CAST(api_key AS BLOB) FROM provider_credentials WHERE provider = ?");
        statement.bindAll(provider);
        if (!statement.step()) {
            return std::nullopt;
        }
        return statement.isNull(0) ? std::string() : statement.columnBlob(0);
    };
    std::optional<std::string> stored;
    try {
        auto task = m_database->read(std::move(body));
        stored = co_await std::move(task);
    } catch (...) {
        throw ProviderKeyError::storage();
    }
    if (!stored) {
        co_return std::nullopt;
    }
    // A saved value is the key exactly: surrounding space or a broken character is damage, not something to fix.
    std::string key;
    try {
        key = checkedProviderKey(*stored);
    } catch (const ProviderKeyError&) {
        throw ProviderKeyError::invalidStoredData();
    }
    if (key != *stored) {
        throw ProviderKeyError::invalidStoredData();
    }
    co_return key;
}

QCoro::Task<void> SQLiteProviderKeyStore::save(std::string key)
{
    const std::string checked = checkedProviderKey(key);
    const std::string provider = ModelSelection::storedText(m_provider);
    auto body = [provider, checked](SqliteConnection& connection) {
        SqliteStatement statement =
            connection.prepare("INSERT INTO provider_credentials (provider, api_key) VALUES (?, ?)\n"
                               "ON CONFLICT(provider) DO UPDATE SET api_key = excluded.api_key");
        statement.bindAll(provider, checked);
        statement.execute();
    };
    try {
        auto task = m_database->write(std::move(body));
        co_await std::move(task);
    } catch (...) {
        throw ProviderKeyError::storage();
    }
}

QCoro::Task<void> SQLiteProviderKeyStore::deleteKey()
{
    const std::string provider = ModelSelection::storedText(m_provider);
    auto body = [provider](SqliteConnection& connection) {
        SqliteStatement statement = connection.prepare("DELETE FROM provider_credentials WHERE provider = ?");
        statement.bindAll(provider);
        statement.execute();
    };
    try {
        auto task = m_database->write(std::move(body));
        co_await std::move(task);
    } catch (...) {
        throw ProviderKeyError::storage();
    }
}

} // namespace tavlen
