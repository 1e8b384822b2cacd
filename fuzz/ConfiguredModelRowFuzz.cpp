// A stored configured_models row, as the model lookup decodes it: only MonitorStoreError escapes, and a decoded
// model has a valid selection whose Ollama host is already in its normal form. Input: a JSON array of the row's
// values (support/FuzzedRow.h).
#include "ConfiguredModelLookup.h"
#include "FuzzInput.h"
#include "FuzzedRow.h"
#include "MonitorStoreError.h"

using namespace tavlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto row =
        fuzz::FuzzedRow::make(fuzz::textOf(data, size), {"id", "provider", "model_identifier", "ollama_host"});
    if (!row) {
        return 0;
    }
    ConfiguredModel model;
    try {
        model = decodeConfiguredModel(row->row());
    } catch (const MonitorStoreError&) {
        return 0;
    }
    fuzz::require(model.id == Uuid::parse(row->row().columnText(0)), "the id column's UUID");
    try {
        model.selection.validate();
    } catch (const MonitorStoreError&) {
        fuzz::require(false, "a decoded selection is valid");
    }
    if (model.selection.provider == ModelSelection::Provider::ollama && model.selection.ollamaHost) {
        fuzz::require(ModelSelection::normalizedOllamaHost(*model.selection.ollamaHost) == *model.selection.ollamaHost,
                      "an Ollama host in its normal form");
    }
    return 0;
}
