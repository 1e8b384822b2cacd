#include "AppRig.h"
#include "AppUpdater.h"
#include "BoundedWait.h"
#include "BrowserClient.h"
#include "KeepAwakeSettings.h"
#include "LoginItemSettings.h"
#include "ModelSettings.h"
#include "MonitorDatabase.h"
#include "MonitorWorkspace.h"
#include "PrivateBus.h"
#include "ProviderKeySettings.h"
#include "StepsNavigation.h"
#include "StepsStore.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QThread>

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlen::test {
namespace {

std::vector<std::filesystem::path> entriesBelow(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        entries.push_back(entry.path());
    }
    return entries;
}

TEST(TavlenAppTest, BuildingTheApplicationOpensNothing)
{
    AppRig rig;
    EXPECT_EQ(entriesBelow(rig.m_home.path()), std::vector<std::filesystem::path>{});
    EXPECT_FALSE(std::filesystem::exists(rig.m_bundle.rendezvous()));

    auto& app = rig.app();
    EXPECT_EQ(app.bundleIdentifier(), rig.m_bundle.identifier());
    EXPECT_EQ(app.database().url(), rig.workspaceFile());
    EXPECT_FALSE(app.browser().isStarted());
    EXPECT_FALSE(app.scheduler().isStarted());
    EXPECT_TRUE(app.modelSettings().isLoading());
    EXPECT_TRUE(app.modelSettings().registry().models.empty());
    EXPECT_FALSE(app.keepAwake().isEnabled());
    EXPECT_EQ(app.loginItem().status(), LoginItemStatus::notRegistered);
    EXPECT_EQ(app.workspace().loadState(), WorkspaceLoadState::loading());
    EXPECT_EQ(app.stepsNavigation().workspace(), &app.workspace());
    ASSERT_EQ(app.credentials().size(), 3u);
    EXPECT_EQ(app.credentials()[0]->provider(), ModelSelection::Provider::openAI);
    EXPECT_EQ(app.credentials()[1]->provider(), ModelSelection::Provider::anthropic);
    EXPECT_EQ(app.credentials()[2]->provider(), ModelSelection::Provider::gemini);

    const auto& delegate = rig.delegate();
    EXPECT_EQ(delegate.keepAwake, &app.keepAwake());
    EXPECT_EQ(delegate.browser, &app.browser());
    EXPECT_EQ(delegate.stepsNavigation.data(), &app.stepsNavigation());
    EXPECT_EQ(delegate.scheduler.data(), &app.scheduler());
    EXPECT_TRUE(delegate.startServices);
    EXPECT_TRUE(delegate.refreshLoginItem);
    EXPECT_FALSE(delegate.hasFinishedLaunching());
    EXPECT_EQ(delegate.mainWindowOpenRequest(), std::nullopt);

    // The updater is made on first use, and once.
    auto& updater = app.updater();
    EXPECT_EQ(&app.updater(), &updater);
    EXPECT_FALSE(updater.configuration().enabled);
    EXPECT_EQ(entriesBelow(rig.m_home.path()), std::vector<std::filesystem::path>{});
}

TEST(TavlenAppTest, StartingTheServicesLoadsTheWorkspaceAndSchedulesItsMonitors)
{
    AppRig rig;
    const Uuid monitorID = Uuid::random();
    {
        MonitorDatabase database(rig.workspaceFile());
        waitBounded(database.write([&](SqliteConnection& connection) {
            connection.execute("INSERT INTO monitors (id, name, version, created_at_ms, schedule_enabled) VALUES ('" +
                               monitorID.lowercaseString() + "', 'Prices', 1, 1000, 1)");
        }));
    }
    auto& app = rig.app();
    rig.delegate().applicationDidFinishLaunching(false);

    ASSERT_TRUE(waitUntil([&] { return app.workspace().loadState().isReady(); }));
    ASSERT_EQ(app.workspace().monitors().size(), 1u);
    EXPECT_EQ(app.workspace().monitors()[0].id, monitorID);
    EXPECT_TRUE(app.browser().isStarted());
    EXPECT_TRUE(app.scheduler().isStarted());
    // Once the workspace is ready the scheduler's passes see the monitor's schedule.
    EXPECT_TRUE(waitUntil([&] { return app.scheduler().snapshot().states.count(monitorID) == 1; }));
    EXPECT_TRUE(waitUntil([&] { return !app.modelSettings().isLoading(); }));
    // Without a stored choice nothing keeps the computer awake, and the choice false is stored.
    EXPECT_FALSE(app.keepAwake().isEnabled());
    EXPECT_EQ(rig.storedDefault(QStringLiteral("keepMacAwake")), QVariant(QStringLiteral("false")));

    struct stat info
    {};

    ASSERT_EQ(::stat(rig.workspaceFile().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // A second start changes nothing that runs: no second load, and the browser client keeps its set-up.
    ASSERT_TRUE(waitUntil([&] { return !app.workspace().isBusy(); }));
    bool reloaded = false;
    QObject::connect(&app.workspace(), &MonitorWorkspaceState::loadStateChanged, [&] { reloaded = true; });
    app.startServices();
    EXPECT_FALSE(reloaded);
    EXPECT_FALSE(app.workspace().isBusy());
}

TEST(TavlenAppTest, KeyChangesResetTheModelDiscoveryOnlyForItsOwnProvider)
{
    AppRig rig;
    auto& discovery = rig.app().modelSettings().discovery();
    discovery.setProvider(ModelSelection::Provider::anthropic);
    for (const auto& credentials : rig.app().credentials()) {
        SCOPED_TRACE(static_cast<int>(credentials->provider()));
        discovery.setSelectedModelIdentifier("claude-test");
        credentials->onCredentialsWillChange();
        const bool own = credentials->provider() == ModelSelection::Provider::anthropic;
        EXPECT_EQ(discovery.selectedModelIdentifier(), own ? std::nullopt : std::optional<std::string>("claude-test"));
        // Nothing reloads while the Add model sheet is not showing.
        credentials->onCredentialsChanged();
        EXPECT_FALSE(discovery.isConnecting());
    }
}

// logind's Inhibit on a private bus, answered from a thread of its own.
class InhibitingLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    std::atomic<int> calls = 0;
    int keptEnd = -1;

public Q_SLOTS:

    QDBusUnixFileDescriptor Inhibit(const QString&, const QString&, const QString&, const QString&)
    {
        int ends[2];
        if (::pipe(ends) != 0) {
            return {};
        }
        keptEnd = ends[1];
        ++calls;
        QDBusUnixFileDescriptor handed(ends[0]);
        ::close(ends[0]);
        return handed;
    }
};

TEST(TavlenAppTest, AStoredKeepAwakeChoiceTakesOneInhibitorAtStartAndQuittingReleasesIt)
{
    PrivateBus bus;
    QThread thread;
    thread.start();
    auto* logind = new InhibitingLogind;
    logind->moveToThread(&thread);
    QDBusConnection service = QDBusConnection::connectToBus(bus.address(), QStringLiteral("logind"));
    ASSERT_TRUE(
        service.registerObject(QStringLiteral("/org/freedesktop/login1"), logind, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.login1")));
    {
        AppRig rig({{QStringLiteral("keepMacAwake"), true}}, [&](TavlenAppEnvironment& environment) {
            environment.systemBus = [address = bus.address()] {
                return QDBusConnection::connectToBus(address, QStringLiteral("app"));
            };
        });
        EXPECT_EQ(logind->calls, 0);
        rig.delegate().applicationDidFinishLaunching(false);
        rig.delegate().applicationDidFinishLaunching(false);
        EXPECT_EQ(logind->calls, 1);
        EXPECT_TRUE(rig.app().keepAwake().isEnabled());

        rig.delegate().applicationWillTerminate();
        // The copies in the bus messages close on their own time; ours must close for the end to report it.
        EXPECT_TRUE(waitUntil([&] {
            pollfd entry{logind->keptEnd, POLLOUT, 0};
            ::poll(&entry, 1, 0);
            return (entry.revents & POLLERR) != 0;
        })) << "the inhibitor is still held";
        EXPECT_EQ(rig.storedDefault(QStringLiteral("keepMacAwake")), QVariant(QStringLiteral("true")));
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("app"));
    QDBusConnection::disconnectFromBus(QStringLiteral("logind"));
    thread.quit();
    thread.wait();
    ::close(logind->keptEnd);
    delete logind;
}

} // namespace
} // namespace tavlen::test

#include "TavlenAppTest.moc"
