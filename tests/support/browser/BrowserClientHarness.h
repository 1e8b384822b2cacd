#pragma once

#include "BrowserClient.h"
#include "FakeChrome.h"
#include "FakeExtension.h"
#include "HostHarness.h"
#include "InMemoryBrowserProfileRepository.h"
#include "TemporaryDirectory.h"
#include "VirtualTime.h"

#include <memory>
#include <optional>
#include <string>

namespace tavlen::test {

// A browser client as the application builds it, in a world of its own: a test bundle with the real host (so
// the rendezvous directory is the test's), Chrome manifests in a temporary folder, an in-memory profile store and
// virtual time that moves only when the test advances it (the one-second timer included). Chrome profiles join
// through FakeChrome.
class BrowserClientHarness
{
public:
    // adjust may change how the client is built (its installer, say) before it is.
    explicit BrowserClientHarness(std::optional<std::string> storedProfile = std::nullopt,
                                  const std::function<void(BrowserClient::Options&)>& adjust = {});
    // Stops the client (bounded) and lets its tasks finish before destroying it.
    ~BrowserClientHarness();
    BrowserClientHarness(const BrowserClientHarness&) = delete;
    BrowserClientHarness& operator=(const BrowserClientHarness&) = delete;

    BrowserClient& client() { return *m_client; }

    const BrowserClientState& state() { return m_client->state(); }

    const TestBundle& bundle() const { return m_bundle; }

    const std::filesystem::path& manifestDirectory() const { return m_manifests.path(); }

    // Starts the client and waits until its set-up has ended, ready or unavailable.
    void start();

    // A Chrome profile connected through the host, its hello answered and the profile listed.
    std::unique_ptr<FakeChrome> connect(const std::string& profileID, const std::string& profileName = "Work");

    // Chooses the profile and answers the status request that follows with the given status (unless the
    // connection has a responder, which then answers it).
    void select(FakeChrome& chrome, const std::string& profileID, const BrowserStatus& status = fakeStatus("idle"));

    // connect and select: a Chrome profile ready for a session.
    std::unique_ptr<FakeChrome> connectSelected(const std::string& profileID, const std::string& profileName = "Work");

    VirtualTime time;
    InMemoryBrowserProfileRepository profiles;

private:
    TestBundle m_bundle;
    TemporaryDirectory m_manifests;
    std::unique_ptr<BrowserClient> m_client;
};

} // namespace tavlen::test
