#pragma once

#include "HostHarness.h"
#include "ScopedEnvironment.h"
#include "TavlenApp.h"
#include "TemporaryDirectory.h"

#include <QVariantMap>

#include <functional>
#include <memory>

namespace tavlen::test {

// A TavlenApp over a temporary home (XDG data, config and runtime folders inside it) and a bundle with an
// identifier of its own, so its workspace file, rendezvous directory and defaults are the test's alone.
class AppRig
{
public:
    // defaults: values stored in the app's defaults before it is built.
    explicit AppRig(const QVariantMap& defaults = {}, const std::function<void(TavlenAppEnvironment&)>& adjust = {});
    // Ends the app as quitting does (when its services ran), then waits for the steps store to be idle.
    ~AppRig();
    AppRig(const AppRig&) = delete;
    AppRig& operator=(const AppRig&) = delete;

    TavlenApp& app() { return *m_app; }

    AppDelegate& delegate() { return m_app->appDelegate(); }

    // The paths the app uses.
    std::filesystem::path workspaceFile() const;
    std::filesystem::path defaultsFile() const;

    // A value of the app's defaults as stored in their file.
    QVariant storedDefault(const QString& key) const;

    TemporaryDirectory m_home;
    ScopedEnvironment m_homeVariable{"HOME", m_home.path().c_str()};
    ScopedEnvironment m_dataVariable{"XDG_DATA_HOME", (m_home / "data").c_str()};
    ScopedEnvironment m_configVariable{"XDG_CONFIG_HOME", (m_home / "config").c_str()};
    ScopedEnvironment m_runtimeVariable{"XDG_RUNTIME_DIR", (m_home / "runtime").c_str()};
    TestBundle m_bundle;

private:
    std::unique_ptr<TavlenApp> m_app;
};

} // namespace tavlen::test
