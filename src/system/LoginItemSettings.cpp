#include "LoginItemSettings.h"

#include "MainThread.h"
#include "SystemServiceError.h"
#include "SystemText.h"

namespace tavlen {

LoginItemSettings::LoginItemSettings(std::unique_ptr<LoginItemServicing> service)
    : m_service(std::move(service))
    , m_status(m_service->status())
{}

LoginItemSettings::~LoginItemSettings() = default;

void LoginItemSettings::refresh()
{
    Q_ASSERT(isMainThread());
    const LoginItemStatus fresh = m_service->status();
    if (fresh != m_status) {
        setError(std::nullopt);
        setStatus(fresh);
    }
}

void LoginItemSettings::setEnabled(bool enabled)
{
    refresh();
    setError(std::nullopt);
    const bool registered = m_status == LoginItemStatus::enabled || m_status == LoginItemStatus::requiresApproval;
    if (enabled == registered) {
        return;
    }
    try {
        enabled ? m_service->registerLoginItem() : m_service->unregisterLoginItem();
    } catch (const SystemServiceError& failure) {
        setError(system_text::changeFailed(enabled, system_text::startAtLoginName, failure.what()));
    }
    setStatus(m_service->status());
}

void LoginItemSettings::openSystemSettings()
{
    m_service->openSystemSettings();
}

void LoginItemSettings::setStatus(LoginItemStatus value)
{
    if (value != m_status) {
        m_status = value;
        Q_EMIT statusChanged();
    }
}

void LoginItemSettings::setError(std::optional<std::string> value)
{
    if (value != m_error) {
        m_error = std::move(value);
        Q_EMIT errorChanged();
    }
}

} // namespace tavlen
