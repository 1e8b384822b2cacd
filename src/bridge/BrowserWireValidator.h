#pragma once

#include "BrowserLimits.h"
#include "BrowserMessage.h"
#include "WireElement.h"
#include "WireSchema.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <string_view>

namespace tavlen {

struct BrowserConfiguration;
struct BrowserPageTree;

// The one gate for bytes that cross the browser bridge: size limits, the message schema (an interpreter of a
// small JSON Schema subset, WireSchema.h), typed decoding and the rules a schema cannot express. A plain value:
// copies share the schema, read once when the validator is made. Each program builds one where it starts
// (BrowserBridgeResources) and checks every frame with it. Received frames go through a BrowserWireReader, which
// parses them in place.
class BrowserWireValidator
{
public:
    // Messages must carry the protocol version as their "v".
    BrowserWireValidator(nlohmann::json schema, BrowserLimits limits, std::int64_t protocolVersion);

    // Reads and parses the "schema" and "config" resources anew. Throws what loadBrowserResource throws,
    // WireDecodingError for a schema that is not a JSON object or a config that does not decode.
    static BrowserWireValidator load();
    // Reads and parses only the "schema" resource; the limits and version are the configuration's.
    static BrowserWireValidator load(const BrowserConfiguration& configuration);

    const nlohmann::json& schema() const { return m_schema->document(); }

    const WireSchema& wireSchema() const { return *m_schema; }

    const BrowserLimits& limits() const { return m_limits; }

    std::int64_t protocolVersion() const { return m_protocolVersion; }

    // The whole check of BrowserWireReader::decode for bytes held in memory (a message Tavlen is about to send),
    // which are copied once to be parsed. Throws BridgeFailure "Invalid or incompatible browser message." (capture
    // settings and page trees keep their own failures), or WireDecodingError from the JSON reader or the typed
    // decoder. Nothing is repaired.
    BrowserMessage decode(std::string_view data) const;

    // True when the value satisfies the schema node; references resolve against the whole schema. Never throws.
    bool checkSchema(const simdjson::dom::element& value, const nlohmann::json& schemaNode) const;

    // Refuses a tree whose sorted encoding would be longer than 4 MiB (the length is computed, the encoding never
    // produced), then holds the tree against the schema's "pageTree" definition ("$defs" and it must be objects).
    // Throws BridgeFailure "Invalid or incompatible browser message.", or what encoding the tree would throw.
    void checkPageTree(const BrowserPageTree& tree) const;
    // The same check for a tree as it arrived in a frame, whose sorted encoding's length was computed as it was
    // decoded (BrowserPageTree::decode): the received tree is checked itself, never encoded again, and not even
    // walked when the frame's check already held it against "pageTree" (verdicts).
    void checkPageTree(const simdjson::dom::element& tree,
                       std::size_t sortedJSONLength,
                       const WireSchema::PageTreeVerdicts* verdicts = nullptr) const;

private:
    // The "pageTree" definition for a tree of that encoded length; throws when either refuses.
    const WireSchema::Node& pageTreeDefinition(std::size_t sortedJSONLength) const;

    std::shared_ptr<const WireSchema> m_schema;
    BrowserLimits m_limits;
    std::int64_t m_protocolVersion;
};

} // namespace tavlen
