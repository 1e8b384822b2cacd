#pragma once

#include "ModelRepository.h"

namespace tavlen {

class MonitorDatabase;
class SqliteConnection;

// The model repository over configured_models and app_settings.default_model_id of the workspace file. Each
// operation is one database access, so its checks see the state its change is made on.
class SQLiteModelRepository final : public ModelRepository
{
public:
    explicit SQLiteModelRepository(MonitorDatabase& database)
        : m_database(database)
    {}

    QCoro::Task<ModelRegistry> registry(std::stop_token token = {}) override;
    QCoro::Task<ModelRegistry> add(ModelSelection selection, std::stop_token token = {}) override;
    QCoro::Task<ModelRegistry> setDefault(Uuid modelID, std::stop_token token = {}) override;
    QCoro::Task<ModelRegistry> remove(Uuid modelID, std::stop_token token = {}) override;

    // The bodies, run inside a database access the caller holds (a write transaction for the changes).

    // Every configured model in list order with the default. invalidStoredData for a row that does not decode, a
    // missing settings row, or a default that is absent while models exist or names none of them.
    static ModelRegistry fetchModelRegistry(SqliteConnection& connection);
    // Checks the selection as it would be read back (so no stored row can break later reads), refuses one equal
    // to a configured model, inserts it under a new id and makes it the default when it is the first.
    static ModelRegistry insertModel(SqliteConnection& connection, const ModelSelection& selection);
    static ModelRegistry updateDefaultModel(SqliteConnection& connection, const Uuid& modelID);
    // Refuses a model that Read steps of saved workflows use (naming their monitors) and the default while other
    // models exist; removing the last model clears the default.
    static ModelRegistry deleteModel(SqliteConnection& connection, const Uuid& modelID);

private:
    MonitorDatabase& m_database;
};

} // namespace tavlen
