#include "BrowserClientHarness.h"

#include "BoundedWait.h"

#include <gtest/gtest.h>

namespace tavlen::test {

BrowserClientHarness::BrowserClientHarness(std::optional<std::string> storedProfile,
                                           const std::function<void(BrowserClient::Options&)>& adjust)
    : profiles(std::move(storedProfile))
{
    BrowserBridgeResources resources = BrowserBridgeResources::load();
    BrowserClient::Options options;
    options.directory = m_bundle.rendezvous();
    options.registrations = {BrowserRegistration{m_manifests.path(), m_bundle.root(), resources.configuration()}};
    if (adjust) {
        adjust(options);
    }
    m_client = std::make_unique<BrowserClient>(profiles, time, std::move(resources), std::move(options));
}

BrowserClientHarness::~BrowserClientHarness()
{
    try {
        // Chrome may never confirm the cancel: let the stop's watchdog end the wait at once.
        auto stopping = m_client->stop();
        time.advance(std::chrono::seconds(2));
        waitBounded(std::move(stopping));
    } catch (const std::exception& error) {
        ADD_FAILURE() << "the browser client did not stop: " << error.what();
    }
    m_client.reset();
    // Lets what the client's tasks posted run (each finds the client gone), then what deleteLater left.
    QCoreApplication::processEvents();
    flushDeferredDeletes();
}

void BrowserClientHarness::start()
{
    m_client->start();
    EXPECT_TRUE(waitUntil([&] { return !state().isSettingUp(); })) << "the set-up did not end";
}

std::unique_ptr<FakeChrome> BrowserClientHarness::connect(const std::string& profileID, const std::string& profileName)
{
    auto chrome = std::make_unique<FakeChrome>(m_bundle);
    chrome->hello(profileID, profileName);
    EXPECT_TRUE(waitUntil([&] {
        for (const auto& profile : state().profiles()) {
            if (profile.id == profileID) {
                return true;
            }
        }
        return false;
    })) << profileID
        << " was not listed";
    return chrome;
}

void BrowserClientHarness::select(FakeChrome& chrome, const std::string& profileID, const BrowserStatus& status)
{
    waitBounded(m_client->selectProfile(profileID));
    EXPECT_EQ(state().selectedProfileID(), profileID);
    const auto selection = chrome.nextOf<BrowserMessage::Selection>();
    EXPECT_TRUE(selection && selection->selected);
    if (!chrome.hasResponder()) {
        const auto request = chrome.nextOf<BrowserMessage::Request>();
        if (!request) {
            return;
        }
        EXPECT_EQ(request->request.command, BrowserCommand::status);
        chrome.respond(request->executionID,
                       BrowserResponse{request->request.requestID, status, true, std::nullopt, std::nullopt});
    }
    EXPECT_TRUE(waitUntil([&] { return !state().checkingStatus(); })) << "the status request did not end";
}

std::unique_ptr<FakeChrome> BrowserClientHarness::connectSelected(const std::string& profileID,
                                                                  const std::string& profileName)
{
    auto chrome = connect(profileID, profileName);
    select(*chrome, profileID);
    return chrome;
}

} // namespace tavlen::test
