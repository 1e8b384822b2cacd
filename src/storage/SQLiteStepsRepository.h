#pragma once

#include "StepsRepository.h"

namespace tavlen {

class MonitorDatabase;
class SqliteConnection;

// The steps repository over the monitor_steps table of the workspace file.
class SQLiteStepsRepository final : public StepsRepository
{
public:
    explicit SQLiteStepsRepository(MonitorDatabase& database)
        : m_database(database)
    {}

    QCoro::Task<std::optional<SavedSteps>> savedSteps(Uuid monitorID, std::stop_token token = {}) override;
    QCoro::Task<SavedExecution> savedExecution(Uuid monitorID, std::stop_token token = {}) override;
    QCoro::Task<SavedSteps> saveSteps(Uuid monitorID,
                                      std::optional<std::int64_t> expectedVersion,
                                      StepsWorkflow workflow,
                                      std::stop_token token = {}) override;

    // The shared bodies, run inside a database access the caller holds (a write transaction for the save).

    // The stored workflow, decoded and checked (a stored document that fails the check is invalidStoredData), or
    // nothing without a row. unsupportedStepsFormat for another format version.
    static std::optional<SavedSteps> loadSavedSteps(SqliteConnection& connection, const Uuid& monitorID);
    // The selection of the configured model of every Read entry, by entry id. validation when an entry has no
    // model or names one that is no longer configured; invalidStoredData for an entry without a positive time-out.
    static std::unordered_map<Uuid, ModelSelection> loadStepsModels(SqliteConnection& connection,
                                                                    const StepsDocument& document);
    // Whether every Read step of the saved workflow names a usable configured model (true without a workflow).
    // Failures other than the models' validation pass on.
    static bool stepsModelsAvailable(SqliteConnection& connection, const Uuid& monitorID);
    // The whole save: monitor, stored steps, version guard, document check, models, then the upsert.
    static SavedSteps saveStepsBody(SqliteConnection& connection,
                                    const Uuid& monitorID,
                                    const std::optional<std::int64_t>& expectedVersion,
                                    const StepsWorkflow& workflow);

private:
    MonitorDatabase& m_database;
};

} // namespace tavlen
