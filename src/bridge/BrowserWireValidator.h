#pragma once

#include "BrowserLimits.h"
#include "BrowserMessage.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string_view>

namespace tavlen {

struct BrowserPageTree;

// The one gate for bytes that cross the browser bridge: size limits, the message schema (an interpreter of a
// small JSON Schema subset), typed decoding and the rules a schema cannot express. A plain value; Tavlen builds
// a fresh one for every message, the host one at start.
class BrowserWireValidator
{
public:
    // Messages must carry the protocol version as their "v".
    BrowserWireValidator(nlohmann::json schema, BrowserLimits limits, std::int64_t protocolVersion);

    // Reads and parses the "schema" and "config" resources anew. Throws what loadBrowserResource throws,
    // WireDecodingError for a schema that is not a JSON object or a config that does not decode.
    static BrowserWireValidator load();

    const nlohmann::json& schema() const { return m_schema; }

    const BrowserLimits& limits() const { return m_limits; }

    std::int64_t protocolVersion() const { return m_protocolVersion; }

    // Turns received (or about-to-be-sent) bytes into a message, or throws: BridgeFailure "Invalid or
    // incompatible browser message." (capture settings and page trees keep their own failures), or
    // WireDecodingError from the JSON reader or the typed decoder. Nothing is repaired.
    BrowserMessage decode(std::string_view data) const;

    // True when the value satisfies the schema node; references resolve against the whole schema. Never throws.
    bool checkSchema(const nlohmann::json& value, const nlohmann::json& schemaNode) const;

    // Encodes the tree with sorted keys, refuses an encoding over 4 MiB, and checks it, read back, against the
    // schema's "pageTree" definition. Throws BridgeFailure "Invalid or incompatible browser message.".
    void checkPageTree(const BrowserPageTree& tree) const;

private:
    bool check(const nlohmann::json& value, const nlohmann::json& node, int depth) const;
    bool checkString(const std::string& value, const nlohmann::json& node) const;
    const nlohmann::json* definition(std::string_view name) const;

    nlohmann::json m_schema;
    BrowserLimits m_limits;
    std::int64_t m_protocolVersion;
    bool m_definitionsUsable = false; // "$defs" is an object whose members are all objects
};

} // namespace tavlen
