#include "BrowserBridgeResources.h"

#include "BridgeFailure.h"

namespace tavlen {

BrowserBridgeResources::BrowserBridgeResources(BrowserConfiguration configuration, BrowserWireValidator validator)
    : m_loaded(std::make_shared<const Loaded>(Loaded{std::move(configuration), std::move(validator)}))
{}

BrowserBridgeResources::BrowserBridgeResources(std::exception_ptr failure)
    : m_failure(std::move(failure))
{}

BrowserBridgeResources BrowserBridgeResources::load()
{
    try {
        BrowserConfiguration configuration = BrowserConfiguration::load();
        BrowserWireValidator validator = BrowserWireValidator::load(configuration);
        return BrowserBridgeResources(std::move(configuration), std::move(validator));
    } catch (...) {
        return BrowserBridgeResources(std::current_exception());
    }
}

const BrowserConfiguration& BrowserBridgeResources::configuration() const
{
    return loaded().configuration;
}

const BrowserWireValidator& BrowserBridgeResources::validator() const
{
    return loaded().validator;
}

const BrowserBridgeResources::Loaded& BrowserBridgeResources::loaded() const
{
    if (!m_loaded) {
        throw BridgeFailure(bridge_text::resourcesMissing);
    }
    return *m_loaded;
}

} // namespace tavlen
