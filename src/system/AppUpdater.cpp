#include "AppUpdater.h"

#include "MainThread.h"

#include <QPointer>

#include <cstdlib>

extern char** environ;

namespace tavlen {

AppUpdater::AppUpdater(const nlohmann::json& info, bool isTesting, const UpdaterControllerFactory& makeController)
    : m_configuration(UpdateConfiguration::fromInfoDictionary(info, isTesting))
{
    if (!m_configuration.enabled || !makeController) {
        return;
    }
    m_controller = makeController();
    if (!m_controller) {
        return;
    }
    // Deliveries may come from any thread; each one hops to the main thread and lands only while this exists.
    const auto deliver = [self = QPointer<AppUpdater>(this)](void (AppUpdater::*set)(bool)) {
        return [self, set](std::optional<bool> value) {
            postToMain([self, set, value] {
                if (self) {
                    (self.data()->*set)(value.value_or(false));
                }
            });
        };
    };
    m_controller->observeCanCheckForUpdates(deliver(&AppUpdater::setCanCheckForUpdates));
    m_controller->observeAutomaticallyChecksForUpdates(deliver(&AppUpdater::setAutomatic));
    m_controller->startUpdater();
}

AppUpdater::~AppUpdater() = default;

bool AppUpdater::isTestingEnvironment()
{
    return environ != nullptr && environ[0] != nullptr && std::getenv(UpdateConfiguration::testingVariable) != nullptr;
}

void AppUpdater::checkForUpdates()
{
    if (m_canCheckForUpdates && m_controller) {
        m_controller->checkForUpdates();
    }
}

void AppUpdater::setAutomaticallyChecksForUpdates(bool automatic)
{
    if (m_controller) {
        m_controller->setAutomaticallyChecksForUpdates(automatic);
    }
}

void AppUpdater::setCanCheckForUpdates(bool value)
{
    if (value != m_canCheckForUpdates) {
        m_canCheckForUpdates = value;
        Q_EMIT canCheckForUpdatesChanged();
    }
}

void AppUpdater::setAutomatic(bool value)
{
    if (value != m_automaticallyChecksForUpdates) {
        m_automaticallyChecksForUpdates = value;
        Q_EMIT automaticallyChecksForUpdatesChanged();
    }
}

} // namespace tavlen
