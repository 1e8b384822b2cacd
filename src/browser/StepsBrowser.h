#pragma once

#include "BrowserCaptureSettings.h"
#include "BrowserSnapshot.h"

#include <QCoroTask>

#include <optional>
#include <stop_token>
#include <string>

namespace tavlen {

// The browser as the capture service drives it: the selected Chrome profile's connection and one browser
// session at a time, owned by an execution. The browser client implements it; tests may script it.
class StepsBrowser
{
public:
    virtual ~StepsBrowser() = default;

    // The selected Chrome profile is among the connected profiles.
    virtual bool isConnected() const = 0;
    // A session may start now.
    virtual bool isIdle() const = 0;
    // The one-line connection text shown to the user.
    virtual std::string connectionState() const = 0;
    // The connection id of the selected profile's live connection.
    virtual std::optional<std::string> connectionID() const = 0;

    // Opens the URL in a temporary tab of a new session owned by executionID, at the viewport when one is given.
    // Throws BridgeFailure; CancelledError when stop is requested (the session is then stopped).
    virtual QCoro::Task<void> startSession(std::string executionID,
                                           std::string url,
                                           std::optional<BrowserCaptureSettings> viewport,
                                           std::stop_token stop) = 0;

    // A full-page snapshot of the session's page; a stale capture is repeated up to retries (at most 2) times.
    // Throws BridgeFailure; CancelledError when stop is requested (the session is then stopped).
    virtual QCoro::Task<BrowserSnapshot> captureSnapshot(int retries, std::stop_token stop) = 0;

    // Ends the execution's session over the given connection and closes its tab. True only when Chrome confirmed
    // it over that same, still selected connection. Never throws.
    virtual QCoro::Task<bool> finishSession(std::string executionID, std::string connectionID) = 0;
};

} // namespace tavlen
