#pragma once

#include "BrowserMessage.h"
#include "HostHarness.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace tavlen {
class BrowserChannel;
}

namespace tavlen::test {

// Plays Chrome and the extension for one Chrome profile: starts the real TavlenBrowserHost from a test bundle as
// Chrome does and speaks frames over its standard input and output, while Tavlen's side runs in the test's event
// loop. Waits run that event loop, so the browser client keeps working while the test waits.
class FakeChrome
{
public:
    // What the extension answers on its own, on the driver's reader thread: the response to a request or cancel,
    // or nullopt to leave the message to the test (next() then returns it).
    using Responder = std::function<std::optional<BrowserResponse>(const BrowserMessage& message)>;

    static constexpr std::chrono::milliseconds waitLimit{20000};

    enum class Route
    {
        throughHost,      // as Chrome does: TavlenBrowserHost relays and checks every frame
        straightToSocket, // no host: for frames a host would never relay
    };

    explicit FakeChrome(const TestBundle& bundle, Route route = Route::throughHost);
    // Ends the host.
    ~FakeChrome();
    FakeChrome(const FakeChrome&) = delete;
    FakeChrome& operator=(const FakeChrome&) = delete;

    // Pings are answered with a pong at once unless this is turned off; answered pings are not queued.
    void setAnswersPings(bool answers);
    void setResponder(Responder responder);
    bool hasResponder() const;

    void send(const BrowserMessage& message);
    void sendFrame(std::string bytes);

    // Says hello and waits for the welcome, whose connection id the helpers below then use.
    BrowserMessage::Welcome hello(const std::string& profileID,
                                  const std::string& profileName = "Work",
                                  const std::string& version = "1.0.0");
    const std::string& connectionID() const { return m_connectionID; }

    void sendStatus(const BrowserStatus& status, const std::optional<std::string>& executionID);
    // Answers a request (or, with its request id, a cancel) of this connection.
    void respond(const std::optional<std::string>& executionID, const BrowserResponse& response);

    // The next message from Tavlen; nullopt when the host ended its output or nothing came within limit
    // (the test fails then).
    std::optional<BrowserMessage> next(std::chrono::milliseconds limit = waitLimit);
    // The next message, which must be of this kind (the test fails otherwise).
    template <class Payload> std::optional<Payload> nextOf(std::chrono::milliseconds limit = waitLimit)
    {
        auto message = next(limit);
        if (message && std::holds_alternative<Payload>(message->payload)) {
            return std::get<Payload>(message->payload);
        }
        failUnexpected(message);
        return std::nullopt;
    }
    // True when no message from Tavlen is waiting.
    bool isQuiet() const;

    // Waits until the host has ended its output: Tavlen dropped the connection (or the host gave up).
    bool waitForEnd(std::chrono::milliseconds limit = waitLimit);
    bool hasEnded() const;

private:
    struct Inbox;

    static void failUnexpected(const std::optional<BrowserMessage>& message);

    std::optional<HostProcess> m_host;
    std::shared_ptr<Inbox> m_inbox;
    std::shared_ptr<BrowserChannel> m_channel;
    std::string m_connectionID;
};

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
