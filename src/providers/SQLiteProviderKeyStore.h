#pragma once

#include "ModelSelection.h"
#include "ProviderKeyStore.h"

namespace tavlen {

class MonitorDatabase;

// A provider's key in the workspace database: one row of provider_credentials, the trimmed key as UTF-8 text.
// It is read back as raw bytes and decoded strictly, so a damaged value is refused, never repaired. Every
// database failure is reported as ProviderKeyError::storage(). The database must outlive the store.
class SQLiteProviderKeyStore final : public ProviderKeyStore
{
public:
    SQLiteProviderKeyStore(MonitorDatabase& database, ModelSelection::Provider provider);

    ModelSelection::Provider provider() const { return m_provider; }

    QCoro::Task<bool> hasKey() override;
    QCoro::Task<std::optional<std::string>> apiKey() override;
    QCoro::Task<void> save(std::string key) override;
    QCoro::Task<void> deleteKey() override;

private:
    MonitorDatabase* m_database;
    ModelSelection::Provider m_provider;
};

} // namespace tavlen
