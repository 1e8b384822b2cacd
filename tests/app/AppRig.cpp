#include "AppRig.h"

#include "BoundedWait.h"
#include "BrowserClient.h"
#include "StepsStore.h"

#include <QCoreApplication>
#include <QSettings>

#include <gtest/gtest.h>

namespace tavlen::test {

AppRig::AppRig(const QVariantMap& defaults, const std::function<void(TavlenAppEnvironment&)>& adjust)
{
    {
        QSettings stored(QString::fromStdString(defaultsFile().string()), QSettings::IniFormat);
        for (auto entry = defaults.begin(); entry != defaults.end(); ++entry) {
            stored.setValue(entry.key(), entry.value());
        }
    }
    TavlenAppEnvironment environment;
    environment.bundleDirectory = m_bundle.root();
    // No clock, zone or wake watchers of the machine: the tests never change them.
    environment.scheduler.watchClockAndWake = false;
    if (adjust) {
        adjust(environment);
    }
    m_app = std::make_unique<TavlenApp>(std::move(environment));
}

AppRig::~AppRig()
{
    try {
        if (m_app->appDelegate().hasFinishedLaunching() && !m_app->browser().isStopping()) {
            waitBounded(m_app->appDelegate().prepareForTermination(), std::chrono::seconds(30));
        }
        waitBounded(m_app->stepsStore().waitUntilIdle(true), std::chrono::seconds(30));
    } catch (const std::exception& error) {
        ADD_FAILURE() << "the app did not end: " << error.what();
    }
    m_app.reset();
    QCoreApplication::processEvents();
    flushDeferredDeletes();
}

std::filesystem::path AppRig::workspaceFile() const
{
    return m_home / "data" / m_bundle.identifier() / "Tavlen.sqlite";
}

std::filesystem::path AppRig::defaultsFile() const
{
    return m_home / "config" / m_bundle.identifier() / "Tavlen.ini";
}

QVariant AppRig::storedDefault(const QString& key) const
{
    return QSettings(QString::fromStdString(defaultsFile().string()), QSettings::IniFormat).value(key);
}

} // namespace tavlen::test
