#pragma once

#include <QObject>

#ifndef Q_MOC_RUN
#include "KeepAwakeServicing.h"
#endif

#include <memory>
#include <optional>
#include <string>

class QSettings;

namespace tavlen {

// The "keepMacAwake" preference and whether sleep prevention is in force now. Starts disabled whatever is
// stored: the start of the services applies the stored choice. Main thread only.
class KeepAwakeSettings : public QObject
{
    Q_OBJECT

public:
    static constexpr const char* preferenceKey = "keepMacAwake";

    // The defaults must outlive the settings.
    KeepAwakeSettings(QSettings& defaults, std::unique_ptr<KeepAwakeServicing> service);
    ~KeepAwakeSettings() override;

    bool isEnabled() const { return m_isEnabled; }

    // The sentence shown under the toggle after a failed change.
    const std::optional<std::string>& error() const { return m_error; }

    QSettings& defaults() const { return m_defaults; }

    // The stored preference; false when absent.
    bool storedPreference() const;

    // Applies the choice: the service is called only when it differs from the state in force; the choice is
    // stored unless that call failed, which leaves its sentence in error().
    void setEnabled(bool enabled);

    // At quit: releases the prevention in force without touching the stored preference, so the next start
    // applies the user's choice again.
    void releaseForQuit();

Q_SIGNALS:
    void isEnabledChanged();
    void errorChanged();

private:
    void setIsEnabled(bool value);
    void setError(std::optional<std::string> value);

    bool m_isEnabled = false;
    std::optional<std::string> m_error;
    QSettings& m_defaults;
    std::unique_ptr<KeepAwakeServicing> m_service;
};

} // namespace tavlen
