#pragma once

#include "ConfiguredModel.h"
#include "Uuid.h"

namespace tavlen {

class SqliteConnection;
class SqliteStatement;

// The configured model with that id, inside the caller's database access. Throws MonitorStoreError: validation
// "This model is no longer configured. Select another model." when there is no such row, or what
// decodeConfiguredModel throws.
ConfiguredModel fetchConfiguredModel(SqliteConnection& connection, const Uuid& id);

// The configured model of the current row of a statement over configured_models (columns found by name): an id
// that is a UUID, a stored provider text, an empty ollama_host as no host, a Gemini identifier without a leading
// "models/". Throws MonitorStoreError::invalidStoredData, or the selection's own validation error unchanged.
ConfiguredModel decodeConfiguredModel(const SqliteStatement& row);

} // namespace tavlen
