#pragma once

#include "BrowserLimits.h"
#include "BrowserMessage.h"

#include <nlohmann/json.hpp>

#include <string_view>

namespace tavlen::reference {

// The wire check as it stood before received frames were parsed in place: the bytes read into an nlohmann value,
// the schema interpreted over it, the typed records decoded from it, and a snapshot's page tree encoded with
// sorted keys, read back and held against the schema's "pageTree" definition once more. Kept only as the other
// side of the differential test: the production check must give the same verdict and sentence for every frame.
//
// Throws as the production check does: BridgeFailure, or WireDecodingError from the JSON reader or a decoder.
BrowserMessage decode(const nlohmann::json& schema, const BrowserLimits& limits, std::string_view data);

// The old interpreter on its own: true when the value satisfies the node, references resolved against schema.
bool checkSchema(const nlohmann::json& schema, const nlohmann::json& value, const nlohmann::json& node);

} // namespace tavlen::reference
