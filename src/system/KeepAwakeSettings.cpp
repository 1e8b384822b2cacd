#include "KeepAwakeSettings.h"

#include "MainThread.h"
#include "SystemServiceError.h"
#include "SystemText.h"

#include <QSettings>

namespace tavlen {

KeepAwakeSettings::KeepAwakeSettings(QSettings& defaults, std::unique_ptr<KeepAwakeServicing> service)
    : m_defaults(defaults)
    , m_service(std::move(service))
{}

KeepAwakeSettings::~KeepAwakeSettings() = default;

bool KeepAwakeSettings::storedPreference() const
{
    return m_defaults.value(QString::fromLatin1(preferenceKey), false).toBool();
}

void KeepAwakeSettings::setEnabled(bool enabled)
{
    Q_ASSERT(isMainThread());
    setError(std::nullopt);
    if (enabled != m_isEnabled) {
        try {
            m_service->setEnabled(enabled);
        } catch (const SystemServiceError& failure) {
            setError(system_text::changeFailed(enabled, system_text::keepAwakeName, failure.what()));
            return;
        }
    }
    setIsEnabled(enabled);
    m_defaults.setValue(QString::fromLatin1(preferenceKey), enabled);
    m_defaults.sync();
}

void KeepAwakeSettings::releaseForQuit()
{
    Q_ASSERT(isMainThread());
    if (!m_isEnabled) {
        return;
    }
    try {
        m_service->setEnabled(false);
    } catch (const SystemServiceError& failure) {
        setError(system_text::releaseFailed(failure.what()));
        return;
    }
    setIsEnabled(false);
}

void KeepAwakeSettings::setIsEnabled(bool value)
{
    if (value != m_isEnabled) {
        m_isEnabled = value;
        Q_EMIT isEnabledChanged();
    }
}

void KeepAwakeSettings::setError(std::optional<std::string> value)
{
    if (value != m_error) {
        m_error = std::move(value);
        Q_EMIT errorChanged();
    }
}

} // namespace tavlen
