#include "BrowserClientState.h"

#include "BrowserClientText.h"
#include "MainThread.h"
#include "Observable.h"
#include "WireCoding.h"

namespace tavlen {

namespace {

bool sameOptionalText(const BrowserClientState::OptionalText& a, const BrowserClientState::OptionalText& b)
{
    return wire::sameText(a, b);
}

bool sameText(const std::string& a, const std::string& b)
{
    return wire::sameText(a, b);
}

} // namespace

BrowserClientState::BrowserClientState(QObject* parent)
    : QObject(parent)
    , m_connectionState(browser_text::preparing)
    , m_status(initialStatus())
{}

bool BrowserClientState::isConnected() const
{
    if (!m_selectedProfileID) {
        return false;
    }
    for (const auto& profile : m_profiles) {
        if (profile.id == *m_selectedProfileID) {
            return true;
        }
    }
    return false;
}

BrowserClientState::OptionalText BrowserClientState::errorMessage() const
{
    OptionalText message;
    for (const auto* error : {&m_connectionError, &m_operationError, &m_selectionError}) {
        if (*error) {
            message = message ? *message + "\n" + **error : **error;
        }
    }
    return message;
}

bool BrowserClientState::isSelected(const OptionalText& profileID) const
{
    return profileID == m_selectedProfileID;
}

void BrowserClientState::setLimits(const BrowserLimits& limits)
{
    const bool untouched = m_status == initialStatus();
    m_limits = limits;
    if (untouched) {
        setStatus(initialStatus());
    }
}

void BrowserClientState::setProfiles(const std::vector<BrowserProfile>& value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_profiles, value)) {
        Q_EMIT profilesChanged();
    }
}

void BrowserClientState::setSelectedProfileID(const OptionalText& value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_selectedProfileID, value, sameOptionalText)) {
        Q_EMIT selectedProfileIDChanged();
    }
}

void BrowserClientState::setConnectionState(const std::string& value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_connectionState, value, sameText)) {
        Q_EMIT connectionStateChanged();
    }
}

void BrowserClientState::setConnectionError(const OptionalText& value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_connectionError, value, sameOptionalText)) {
        Q_EMIT connectionErrorChanged();
    }
}

void BrowserClientState::setOperationError(const OptionalText& value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_operationError, value, sameOptionalText)) {
        Q_EMIT operationErrorChanged();
    }
}

void BrowserClientState::setSelectionError(const OptionalText& value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_selectionError, value, sameOptionalText)) {
        Q_EMIT selectionErrorChanged();
    }
}

void BrowserClientState::setSettingUp(bool value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_isSettingUp, value)) {
        Q_EMIT settingUpChanged();
    }
}

void BrowserClientState::setSelectingProfile(bool value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_isSelectingProfile, value)) {
        Q_EMIT selectingProfileChanged();
    }
}

void BrowserClientState::setStatus(const BrowserStatus& value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_status, value)) {
        Q_EMIT statusChanged();
    }
}

void BrowserClientState::setExecutionID(const OptionalText& value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_executionID, value, sameOptionalText)) {
        Q_EMIT executionIDChanged();
    }
}

void BrowserClientState::setWorking(bool value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_working, value)) {
        Q_EMIT workingChanged();
    }
}

void BrowserClientState::setCheckingStatus(bool value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_checkingStatus, value)) {
        Q_EMIT checkingStatusChanged();
    }
}

void BrowserClientState::setFinishingSession(bool value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_isFinishingSession, value)) {
        Q_EMIT finishingSessionChanged();
    }
}

void BrowserClientState::setHasSelectedStatus(bool value)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    if (assignIfChanged(m_hasSelectedStatus, value)) {
        Q_EMIT hasSelectedStatusChanged();
    }
}

} // namespace tavlen
