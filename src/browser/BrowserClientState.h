#pragma once

#include <QObject>

#ifndef Q_MOC_RUN
#include "BrowserProfile.h"
#include "BrowserSnapshot.h"
#include "BrowserStatus.h"
#endif

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavlen {

// What the browser client knows, shared by its connections, commands and session: the observed properties the
// Chrome connection views show (each setter notifies only when the value changes, texts compared by canonical
// equivalence) and the few flags its parts coordinate through. Main thread only.
class BrowserClientState final : public QObject
{
    Q_OBJECT

public:
    using OptionalText = std::optional<std::string>;

    explicit BrowserClientState(QObject* parent = nullptr);

    const std::vector<BrowserProfile>& profiles() const { return m_profiles; }

    const OptionalText& selectedProfileID() const { return m_selectedProfileID; }

    const std::string& connectionState() const { return m_connectionState; }

    const OptionalText& connectionError() const { return m_connectionError; }

    const OptionalText& operationError() const { return m_operationError; }

    const OptionalText& selectionError() const { return m_selectionError; }

    bool isSettingUp() const { return m_isSettingUp; }

    bool isSelectingProfile() const { return m_isSelectingProfile; }

    const BrowserStatus& status() const { return m_status; }

    const OptionalText& executionID() const { return m_executionID; }

    bool working() const { return m_working; }

    bool checkingStatus() const { return m_checkingStatus; }

    bool isFinishingSession() const { return m_isFinishingSession; }

    bool hasSelectedStatus() const { return m_hasSelectedStatus; }

    // Some listed profile is the selected one.
    bool isConnected() const;
    // The connection, operation and selection errors that are present, one per line; nullopt when none is.
    OptionalText errorMessage() const;
    // Whether a profile identity is the selected one; two absent values are the same.
    bool isSelected(const OptionalText& profileID) const;

    void setProfiles(const std::vector<BrowserProfile>& value);
    void setSelectedProfileID(const OptionalText& value);
    void setConnectionState(const std::string& value);
    void setConnectionError(const OptionalText& value);
    void setOperationError(const OptionalText& value);
    void setSelectionError(const OptionalText& value);
    void setSettingUp(bool value);
    void setSelectingProfile(bool value);
    void setStatus(const BrowserStatus& value);
    void setExecutionID(const OptionalText& value);
    void setWorking(bool value);
    void setCheckingStatus(bool value);
    void setFinishingSession(bool value);
    void setHasSelectedStatus(bool value);

    // The idle status assumed when nothing is known of a session: "idle", the configured operations remaining
    // (none before the set-up has read the configuration).
    BrowserStatus initialStatus() const { return BrowserStatus::initial(m_limits); }

    void setLimits(const BrowserLimits& limits);

    // Not observed: stop has begun (never reset); the session was stopped, ended or lost; and a counter bumped
    // whenever the session starts or is invalidated, so an operation that waited can tell it was overtaken.
    bool stopping = false;
    bool cancelled = false;
    std::uint64_t generation = 0;
    // Not observed either: the snapshot of the last answered capture until the capture takes it, or until the
    // session changes. Up to 32 MiB, so it is moved in and out, never copied or compared.
    std::optional<BrowserSnapshot> capture;

Q_SIGNALS:
    void profilesChanged();
    void selectedProfileIDChanged();
    void connectionStateChanged();
    void connectionErrorChanged();
    void operationErrorChanged();
    void selectionErrorChanged();
    void settingUpChanged();
    void selectingProfileChanged();
    void statusChanged();
    void executionIDChanged();
    void workingChanged();
    void checkingStatusChanged();
    void finishingSessionChanged();
    void hasSelectedStatusChanged();

private:
    BrowserLimits m_limits;
    std::vector<BrowserProfile> m_profiles;
    OptionalText m_selectedProfileID;
    std::string m_connectionState;
    OptionalText m_connectionError;
    OptionalText m_operationError;
    OptionalText m_selectionError;
    bool m_isSettingUp = false;
    bool m_isSelectingProfile = false;
    BrowserStatus m_status;
    OptionalText m_executionID;
    bool m_working = false;
    bool m_checkingStatus = false;
    bool m_isFinishingSession = false;
    bool m_hasSelectedStatus = false;
};

} // namespace tavlen
