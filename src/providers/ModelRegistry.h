#pragma once

#include "ConfiguredModel.h"
#include "Uuid.h"

#include <optional>
#include <vector>

namespace tavlen {

// Every configured model with the default one: a snapshot, replaced as a whole after each read or change. As read
// from the workspace, no models means no default, and with models the default is the id of one of them. The empty
// registry is also what the model settings hold before their first read.
struct ModelRegistry
{
    std::vector<ConfiguredModel> models; // by provider, identifier and host, in byte order
    std::optional<Uuid> defaultID;

    // The first model whose id is defaultID; nothing without a default or when it names no model.
    const ConfiguredModel* defaultModel() const;

    // The model with that id, or nothing.
    const ConfiguredModel* model(const Uuid& id) const;

    friend bool operator==(const ModelRegistry&, const ModelRegistry&) = default;
};

} // namespace tavlen
