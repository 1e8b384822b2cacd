#include "SQLiteModelRepository.h"

#include "ConfiguredModelLookup.h"
#include "ModelText.h"
#include "MonitorDatabase.h"
#include "MonitorStoreError.h"
#include "SqliteStatement.h"
#include "StepsDocument.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tavlen {

namespace {

constexpr const char* setDefaultID = "UPDATE app_settings SET default_model_id = ? WHERE id = 1";

void storeDefault(SqliteConnection& connection, const std::optional<Uuid>& modelID)
{
    SqliteStatement statement(connection, setDefaultID);
    statement.bind(1, modelID ? std::optional<std::string>(modelID->lowercaseString()) : std::nullopt);
    statement.execute();
}

bool usesModel(const StepsDocument& document, const Uuid& modelID)
{
    return std::any_of(document.steps.begin(), document.steps.end(), [&modelID](const StepsDocument::Entry& entry) {
        const auto* read = std::get_if<StepsDocument::Read>(&entry.content);
        return read != nullptr && read->modelID == modelID;
    });
}

// The names of the monitors whose saved workflow has a Read step using the model, by name. Any saved workflow
// that cannot be read fails the whole check: a removal must not pass a step it could not see.
std::vector<std::string> monitorsUsing(SqliteConnection& connection, const Uuid& modelID)
{
    SqliteStatement statement(connection,
                              "SELECT m.name, s.workflow_json, s.format_version FROM monitor_steps s "
                              "JOIN monitors m ON m.id = s.monitor_id ORDER BY m.name");
    std::vector<std::string> names;
    while (statement.step()) {
        const StepsDocument document = StepsDocument::decodeStored(statement.columnText(1), statement.columnInt64(2));
        if (usesModel(document, modelID)) {
            names.push_back(statement.columnText(0));
        }
    }
    return names;
}

std::string inUseSentence(const std::vector<std::string>& names)
{
    std::string sentence(provider_text::modelInUseStart);
    for (std::size_t i = 0; i < names.size(); ++i) {
        sentence.append(i == 0 ? "" : ", ").append(names[i]);
    }
    return sentence + ".";
}

} // namespace

ModelRegistry SQLiteModelRepository::fetchModelRegistry(SqliteConnection& connection)
{
    ModelRegistry registry;
    SqliteStatement models(connection,
                           "SELECT * FROM configured_models ORDER BY provider, model_identifier, ollama_host");
    while (models.step()) {
        registry.models.push_back(decodeConfiguredModel(models));
    }
    SqliteStatement settings(connection, "SELECT default_model_id FROM app_settings WHERE id = 1");
    if (!settings.step()) {
        throw MonitorStoreError::invalidStoredData();
    }
    if (settings.isNull(0)) {
        if (!registry.models.empty()) {
            throw MonitorStoreError::invalidStoredData();
        }
        return registry;
    }
    const std::optional<Uuid> defaultID = Uuid::parse(settings.columnText(0));
    if (!defaultID || registry.model(*defaultID) == nullptr) {
        throw MonitorStoreError::invalidStoredData();
    }
    registry.defaultID = defaultID;
    return registry;
}

ModelRegistry SQLiteModelRepository::insertModel(SqliteConnection& connection, const ModelSelection& selection)
{
    // What is stored must read back: a row that fails the read check would fail every later registry read.
    selection.validate();
    const ModelRegistry registry = fetchModelRegistry(connection);
    if (std::any_of(registry.models.begin(), registry.models.end(), [&selection](const ConfiguredModel& model) {
            return model.selection == selection;
        })) {
        throw MonitorStoreError::validation(std::string(provider_text::modelAlreadyConfigured));
    }
    const Uuid id = Uuid::random();
    SqliteStatement insert(connection,
                           "INSERT INTO configured_models (id, provider, model_identifier, ollama_host) "
                           "VALUES (?, ?, ?, ?)");
    insert.bindAll(id.lowercaseString(),
                   ModelSelection::storedText(selection.provider),
                   selection.modelIdentifier,
                   selection.ollamaHost.value_or(std::string()));
    insert.execute();
    if (registry.models.empty()) {
        storeDefault(connection, id);
    }
    return fetchModelRegistry(connection);
}

ModelRegistry SQLiteModelRepository::updateDefaultModel(SqliteConnection& connection, const Uuid& modelID)
{
    fetchConfiguredModel(connection, modelID);
    storeDefault(connection, modelID);
    return fetchModelRegistry(connection);
}

ModelRegistry SQLiteModelRepository::deleteModel(SqliteConnection& connection, const Uuid& modelID)
{
    fetchConfiguredModel(connection, modelID);
    if (const std::vector<std::string> names = monitorsUsing(connection, modelID); !names.empty()) {
        throw MonitorStoreError::validation(inUseSentence(names));
    }
    const ModelRegistry registry = fetchModelRegistry(connection);
    if (registry.defaultID == modelID) {
        if (registry.models.size() != 1) {
            throw MonitorStoreError::validation(std::string(provider_text::modelIsDefault));
        }
        storeDefault(connection, std::nullopt);
    }
    SqliteStatement remove(connection, "DELETE FROM configured_models WHERE id = ?");
    remove.bind(1, modelID.lowercaseString());
    remove.execute();
    return fetchModelRegistry(connection);
}

QCoro::Task<ModelRegistry> SQLiteModelRepository::registry(std::stop_token token)
{
    auto task = m_database.read([](SqliteConnection& connection) { return fetchModelRegistry(connection); }, token);
    co_return co_await std::move(task);
}

QCoro::Task<ModelRegistry> SQLiteModelRepository::add(ModelSelection selection, std::stop_token token)
{
    auto body = [selection = std::move(selection)](SqliteConnection& connection) {
        return insertModel(connection, selection);
    };
    auto task = m_database.write(std::move(body), token);
    co_return co_await std::move(task);
}

QCoro::Task<ModelRegistry> SQLiteModelRepository::setDefault(Uuid modelID, std::stop_token token)
{
    auto body = [modelID](SqliteConnection& connection) { return updateDefaultModel(connection, modelID); };
    auto task = m_database.write(std::move(body), token);
    co_return co_await std::move(task);
}

QCoro::Task<ModelRegistry> SQLiteModelRepository::remove(Uuid modelID, std::stop_token token)
{
    auto body = [modelID](SqliteConnection& connection) { return deleteModel(connection, modelID); };
    auto task = m_database.write(std::move(body), token);
    co_return co_await std::move(task);
}

} // namespace tavlen
