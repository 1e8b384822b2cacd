#include "SQLiteStepsRepository.h"

#include "ConfiguredModelLookup.h"
#include "MonitorDatabase.h"
#include "MonitorLookup.h"
#include "MonitorStoreError.h"
#include "SqliteStatement.h"
#include "StorageMessages.h"

#include <limits>

namespace tavlen {

namespace {

constexpr const char* upsertSteps =
    "INSERT INTO monitor_steps (monitor_id, version, format_version, workflow_json)\n"
    "VALUES (?, ?, ?, ?)\n"
    "ON CONFLICT(monitor_id) DO UPDATE SET version = excluded.version,\n"
    "    format_version = excluded.format_version, workflow_json = excluded.workflow_json";

// A stored document that fails the check is damaged data, whatever the check's own sentence.
void requireStoredDocumentValid(const StepsDocument& document)
{
    try {
        document.validate();
    } catch (const MonitorStoreError&) {
        throw MonitorStoreError::invalidStoredData();
    }
}

} // namespace

std::optional<SavedSteps> SQLiteStepsRepository::loadSavedSteps(SqliteConnection& connection, const Uuid& monitorID)
{
    SqliteStatement statement(connection, "SELECT * FROM monitor_steps WHERE monitor_id = ?");
    statement.bind(1, monitorID.lowercaseString());
    if (!statement.step()) {
        return std::nullopt;
    }
    StepsDocument document =
        StepsDocument::decodeStored(statement.columnText(statement.columnIndex("workflow_json")),
                                    statement.columnInt64(statement.columnIndex("format_version")));
    requireStoredDocumentValid(document);
    return SavedSteps{statement.columnInt64(statement.columnIndex("version")), StepsWorkflow{std::move(document)}};
}

std::unordered_map<Uuid, ModelSelection> SQLiteStepsRepository::loadStepsModels(SqliteConnection& connection,
                                                                                const StepsDocument& document)
{
    std::unordered_map<Uuid, ModelSelection> models;
    for (const StepsDocument::Entry& entry : document.steps) {
        const auto* read = std::get_if<StepsDocument::Read>(&entry.content);
        if (read == nullptr) {
            continue;
        }
        if (!read->modelID) {
            throw MonitorStoreError::validation(storage_messages::selectModelInEveryReadStep);
        }
        if (!read->timeoutSeconds || *read->timeoutSeconds < 1) {
            throw MonitorStoreError::invalidStoredData();
        }
        models.insert_or_assign(entry.id, fetchConfiguredModel(connection, *read->modelID).selection);
    }
    return models;
}

bool SQLiteStepsRepository::stepsModelsAvailable(SqliteConnection& connection, const Uuid& monitorID)
{
    SqliteStatement statement(connection,
                              "SELECT workflow_json, format_version FROM monitor_steps WHERE monitor_id = ?");
    statement.bind(1, monitorID.lowercaseString());
    if (!statement.step()) {
        return true;
    }
    const StepsDocument document = StepsDocument::decodeStored(statement.columnText(0), statement.columnInt64(1));
    try {
        loadStepsModels(connection, document);
    } catch (const MonitorStoreError& error) {
        if (error.kind() == MonitorStoreError::Kind::validation) {
            return false;
        }
        throw;
    }
    return true;
}

SavedSteps SQLiteStepsRepository::saveStepsBody(SqliteConnection& connection,
                                                const Uuid& monitorID,
                                                const std::optional<std::int64_t>& expectedVersion,
                                                const StepsWorkflow& workflow)
{
    requireMonitor(connection, monitorID);
    const std::optional<SavedSteps> stored = loadSavedSteps(connection, monitorID);
    if (stored ? expectedVersion != stored->version : expectedVersion.has_value()) {
        throw MonitorStoreError::staleEdit();
    }
    workflow.document.validate();
    loadStepsModels(connection, workflow.document);
    if (stored && stored->workflow.document == workflow.document) {
        return *stored;
    }
    if (expectedVersion == std::numeric_limits<std::int64_t>::max()) {
        throw MonitorStoreError::invalidStoredData();
    }
    const std::int64_t version = stored ? *expectedVersion + 1 : 1;
    SqliteStatement statement(connection, upsertSteps);
    statement.bindAll(
        monitorID.lowercaseString(), version, StepsDocument::formatVersion, workflow.document.encodeStored());
    statement.execute();
    return SavedSteps{version, workflow};
}

QCoro::Task<std::optional<SavedSteps>> SQLiteStepsRepository::savedSteps(Uuid monitorID, std::stop_token token)
{
    auto body = [monitorID](SqliteConnection& connection) {
        requireMonitor(connection, monitorID);
        return loadSavedSteps(connection, monitorID);
    };
    auto task = m_database.read(std::move(body), token);
    co_return co_await std::move(task);
}

QCoro::Task<SavedExecution> SQLiteStepsRepository::savedExecution(Uuid monitorID, std::stop_token token)
{
    auto body = [monitorID](SqliteConnection& connection) {
        requireMonitor(connection, monitorID);
        SavedExecution execution;
        execution.steps = loadSavedSteps(connection, monitorID);
        if (execution.steps) {
            execution.models = loadStepsModels(connection, execution.steps->workflow.document);
        }
        return execution;
    };
    auto task = m_database.read(std::move(body), token);
    co_return co_await std::move(task);
}

QCoro::Task<SavedSteps> SQLiteStepsRepository::saveSteps(Uuid monitorID,
                                                         std::optional<std::int64_t> expectedVersion,
                                                         StepsWorkflow workflow,
                                                         std::stop_token token)
{
    auto body = [monitorID, expectedVersion, workflow = std::move(workflow)](SqliteConnection& connection) {
        return saveStepsBody(connection, monitorID, expectedVersion, workflow);
    };
    auto task = m_database.write(std::move(body), token);
    co_return co_await std::move(task);
}

} // namespace tavlen
