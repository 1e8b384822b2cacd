#include "BrowserConnection.h"

#include "BrowserClient.h"
#include "BrowserClientState.h"

namespace tavlen::ui {

void observeBrowserState(const BrowserClientState& state, QObject* context, const std::function<void()>& changed)
{
    for (const auto signal : {&BrowserClientState::profilesChanged,
                              &BrowserClientState::selectedProfileIDChanged,
                              &BrowserClientState::connectionErrorChanged,
                              &BrowserClientState::operationErrorChanged,
                              &BrowserClientState::selectionErrorChanged,
                              &BrowserClientState::settingUpChanged,
                              &BrowserClientState::selectingProfileChanged,
                              &BrowserClientState::statusChanged,
                              &BrowserClientState::executionIDChanged,
                              &BrowserClientState::workingChanged,
                              &BrowserClientState::checkingStatusChanged,
                              &BrowserClientState::finishingSessionChanged,
                              &BrowserClientState::hasSelectedStatusChanged}) {
        QObject::connect(&state, signal, context, changed);
    }
}

const BrowserClientState& ClientBrowserConnection::state() const
{
    return m_client.state();
}

bool ClientBrowserConnection::canSelectProfile() const
{
    return m_client.canSelectProfile();
}

QCoro::Task<void> ClientBrowserConnection::selectProfile(std::string profileID)
{
    return m_client.selectProfile(std::move(profileID));
}

} // namespace tavlen::ui
