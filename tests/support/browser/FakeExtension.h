#pragma once

#include "BrowserSnapshot.h"
#include "BrowserStatus.h"
#include "FakeChrome.h"

#include <mutex>
#include <optional>
#include <string>

namespace tavlen::test {

// A snapshot that keeps the given viewport: a plain PNG of the page and a one-node page tree.
BrowserSnapshot fakeSnapshot(const BrowserCaptureSettings& viewport,
                             const std::string& url,
                             const std::string& snapshotID = "snapshot-1");

// A status with the state and session id and nothing else.
BrowserStatus fakeStatus(const std::string& state, const std::optional<std::string>& sessionID = std::nullopt);

// Answers the way a well-behaved extension does: "status" with its state, "start" with a new active session,
// "capturePage" with a snapshot of the started viewport, a cancel with "idle". Thread-safe.
class FakeExtension
{
public:
    std::optional<BrowserResponse> answer(const BrowserMessage& message);
    FakeChrome::Responder responder();

private:
    std::mutex m_mutex;
    BrowserStatus m_status = fakeStatus("idle");
    BrowserCaptureSettings m_viewport{320, 200, 1, false};
    std::string m_url;
    int m_sessions = 0;
};

} // namespace tavlen::test
