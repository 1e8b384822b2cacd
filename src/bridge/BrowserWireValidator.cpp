#include "BrowserWireValidator.h"

#include "BridgeFailure.h"
#include "BrowserConfiguration.h"
#include "BrowserPageTree.h"
#include "BrowserResources.h"
#include "BrowserWireReader.h"
#include "JsonParse.h"
#include "WireCoding.h"

#include <simdjson.h>

#include <cstring>

namespace tavlen {

BrowserWireValidator::BrowserWireValidator(nlohmann::json schema, BrowserLimits limits, std::int64_t protocolVersion)
    : m_schema(std::make_shared<const WireSchema>(std::move(schema)))
    , m_limits(limits)
    , m_protocolVersion(protocolVersion)
{}

BrowserWireValidator BrowserWireValidator::load()
{
    return load(BrowserConfiguration::load());
}

BrowserWireValidator BrowserWireValidator::load(const BrowserConfiguration& configuration)
{
    auto schema = parseJson(loadBrowserResource("schema"));
    if (!schema || !schema->is_object()) {
        throw WireDecodingError("The \"schema\" resource is not a JSON object.");
    }
    return BrowserWireValidator(std::move(*schema), configuration.limits, configuration.protocolVersion);
}

BrowserMessage BrowserWireValidator::decode(std::string_view data) const
{
    BrowserFrame frame = BrowserFrame::withCapacity(data.size(), nullptr);
    if (!data.empty()) {
        std::memcpy(frame.writableData(), data.data(), data.size());
    }
    return BrowserWireReader().decode(*this, frame);
}

bool BrowserWireValidator::checkSchema(const simdjson::dom::element& value, const nlohmann::json& schemaNode) const
{
    return m_schema->accepts(value, m_schema->detach(schemaNode)->node());
}

void BrowserWireValidator::checkPageTree(const BrowserPageTree& tree) const
{
    const auto& definition = pageTreeDefinition(tree.sortedJSONLength());
    if (!m_schema->accepts(tree, definition)) {
        throw BridgeFailure::invalidMessage();
    }
}

void BrowserWireValidator::checkPageTree(const simdjson::dom::element& tree,
                                         std::size_t sortedJSONLength,
                                         const WireSchema::PageTreeVerdicts* verdicts) const
{
    const auto& definition = pageTreeDefinition(sortedJSONLength);
    const auto known = verdicts ? verdicts->of(tree) : std::nullopt;
    if (!(known ? *known : m_schema->accepts(tree, definition))) {
        throw BridgeFailure::invalidMessage();
    }
}

const WireSchema::Node& BrowserWireValidator::pageTreeDefinition(std::size_t sortedJSONLength) const
{
    if (sortedJSONLength > BrowserPageTree::maximumEncodedBytes || !m_schema->pageTree()) {
        throw BridgeFailure::invalidMessage();
    }
    return *m_schema->pageTree();
}

} // namespace tavlen
