#pragma once

#include <QObject>

#ifndef Q_MOC_RUN
#include "LoginItemServicing.h"
#endif

#include <memory>
#include <optional>
#include <string>

namespace tavlen {

// Whether Tavlen starts at login, as last read from the system, and the sentence of a failed change. The system
// keeps the state, so it is read again whenever it matters. Main thread only.
class LoginItemSettings : public QObject
{
    Q_OBJECT

public:
    // Reads the status once, here.
    explicit LoginItemSettings(std::unique_ptr<LoginItemServicing> service);
    ~LoginItemSettings() override;

    LoginItemStatus status() const { return m_status; }

    const std::optional<std::string>& error() const { return m_error; }

    LoginItemServicing& service() const { return *m_service; }

    // Reads the status; a different one clears the error and is published, the same one changes nothing.
    void refresh();
    // Registers or unregisters as the fresh status requires; a failure leaves its sentence in error().
    void setEnabled(bool enabled);
    void openSystemSettings();

Q_SIGNALS:
    void statusChanged();
    void errorChanged();

private:
    void setStatus(LoginItemStatus value);
    void setError(std::optional<std::string> value);

    std::unique_ptr<LoginItemServicing> m_service;
    LoginItemStatus m_status;
    std::optional<std::string> m_error;
};

} // namespace tavlen
