#pragma once

#include "BrowserConfiguration.h"
#include "BrowserWireValidator.h"

#include <exception>
#include <memory>

namespace tavlen {

// The bridge's resources as a program loads them once, where it starts: the decoded "config" and the validator
// built from it and "schema". Every frame and every message is checked against this one load; nothing reads the
// resources again behind it. A failed load is kept, to be reported where the resources are first needed. A plain
// value: copies share the load.
class BrowserBridgeResources
{
public:
    BrowserBridgeResources(BrowserConfiguration configuration, BrowserWireValidator validator);

    // Reads "config" and "schema". Never throws: resources missing, unreadable or undecodable are kept as the
    // load's failure.
    static BrowserBridgeResources load();

    bool isLoaded() const { return m_loaded != nullptr; }

    // Why the load failed (for the log), or nullptr.
    std::exception_ptr failure() const { return m_failure; }

    // Throw BridgeFailure "Browser resources are missing. Reinstall Tavlen." when the load failed.
    const BrowserConfiguration& configuration() const;
    const BrowserWireValidator& validator() const;

private:
    struct Loaded
    {
        BrowserConfiguration configuration;
        BrowserWireValidator validator;
    };

    explicit BrowserBridgeResources(std::exception_ptr failure);
    const Loaded& loaded() const;

    std::shared_ptr<const Loaded> m_loaded;
    std::exception_ptr m_failure;
};

} // namespace tavlen
