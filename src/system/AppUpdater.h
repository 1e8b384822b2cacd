#pragma once

#include <QObject>

#ifndef Q_MOC_RUN
#include "UpdateConfiguration.h"
#include "UpdaterController.h"
#endif

#include <memory>

namespace tavlen {

// The updates as the menus and the settings see them: the configuration read once, and, only when updates are
// enabled, the started controller whose two flags are mirrored here on the main thread.
class AppUpdater : public QObject
{
    Q_OBJECT

public:
    // isTesting: the process runs under the tests (UpdateConfiguration::testingVariable is set).
    AppUpdater(const nlohmann::json& info, bool isTesting, const UpdaterControllerFactory& makeController);
    ~AppUpdater() override;

    // The environment's test marker, as the application reads it.
    static bool isTestingEnvironment();

    const UpdateConfiguration& configuration() const { return m_configuration; }

    bool canCheckForUpdates() const { return m_canCheckForUpdates; }

    bool automaticallyChecksForUpdates() const { return m_automaticallyChecksForUpdates; }

    bool hasController() const { return m_controller != nullptr; }

    // A user-initiated check when one may start now; otherwise nothing.
    void checkForUpdates();
    // Written into the framework, whose observation then updates automaticallyChecksForUpdates.
    void setAutomaticallyChecksForUpdates(bool automatic);

Q_SIGNALS:
    void canCheckForUpdatesChanged();
    void automaticallyChecksForUpdatesChanged();

private:
    void setCanCheckForUpdates(bool value);
    void setAutomatic(bool value);

    bool m_canCheckForUpdates = false;
    bool m_automaticallyChecksForUpdates = false;
    UpdateConfiguration m_configuration;
    std::unique_ptr<UpdaterController> m_controller;
};

} // namespace tavlen
