#include "ConfiguredModelLookup.h"

#include "MonitorStoreError.h"
#include "SqliteConnection.h"
#include "SqliteStatement.h"
#include "StorageMessages.h"

#include <string_view>

namespace tavlen {

namespace {

constexpr std::string_view geminiModelPrefix = "models/";

} // namespace

ConfiguredModel fetchConfiguredModel(SqliteConnection& connection, const Uuid& id)
{
    SqliteStatement statement(connection, "SELECT * FROM configured_models WHERE id = ?");
    statement.bind(1, id.lowercaseString());
    if (!statement.step()) {
        throw MonitorStoreError::validation(storage_messages::modelNoLongerConfigured);
    }
    return decodeConfiguredModel(statement);
}

ConfiguredModel decodeConfiguredModel(const SqliteStatement& row)
{
    ConfiguredModel model;
    try {
        const std::optional<Uuid> id = Uuid::parse(row.columnText(row.columnIndex("id")));
        const auto provider = ModelSelection::providerFromStoredText(row.columnText(row.columnIndex("provider")));
        if (!id || !provider) {
            throw MonitorStoreError::invalidStoredData();
        }
        model.id = *id;
        model.selection.provider = *provider;
        std::string host = row.columnText(row.columnIndex("ollama_host"));
        if (!host.empty()) {
            model.selection.ollamaHost = std::move(host);
        }
        model.selection.modelIdentifier = row.columnText(row.columnIndex("model_identifier"));
    } catch (const MonitorStoreError&) {
        throw;
    } catch (...) {
        throw MonitorStoreError::invalidStoredData();
    }
    std::string& identifier = model.selection.modelIdentifier;
    if (model.selection.provider == ModelSelection::Provider::gemini && identifier.starts_with(geminiModelPrefix)) {
        identifier.erase(0, geminiModelPrefix.size());
    }
    model.selection.validate();
    return model;
}

} // namespace tavlen
