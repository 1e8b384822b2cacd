#include "BoundedWait.h"
#include "KeepAwakeSettings.h"
#include "PrivateBus.h"
#include "StandInLogind.h"
#include "SystemKeepAwakeService.h"
#include "SystemServiceError.h"
#include "TemporaryDirectory.h"

#include <QDBusConnection>
#include <QSettings>

#include <gtest/gtest.h>

namespace tavlen::test {
namespace {

// Records every call; fails the next calls while told to.
class ScriptedKeepAwakeService final : public KeepAwakeServicing
{
public:
    void setEnabled(bool enabled) override
    {
        calls.push_back(enabled);
        if (failing) {
            throw SystemServiceError("The system returned power management error org.example.Refused.");
        }
    }

    std::vector<bool> calls;
    bool failing = false;
};

// Settings over a scripted service, with defaults in a file of their own.
struct KeepAwakeRig
{
    KeepAwakeRig()
    {
        auto service = std::make_unique<ScriptedKeepAwakeService>();
        m_service = service.get();
        m_settings = std::make_unique<KeepAwakeSettings>(m_defaults, std::move(service));
    }

    QVariant stored() const { return m_defaults.value(QStringLiteral("keepMacAwake")); }

    TemporaryDirectory m_directory;
    QSettings m_defaults{QString::fromStdString((m_directory / "Tavlen.ini").string()), QSettings::IniFormat};
    ScriptedKeepAwakeService* m_service = nullptr;
    std::unique_ptr<KeepAwakeSettings> m_settings;
};

TEST(KeepAwakeSettingsTest, CallsTheServiceOnlyForAChangeAndStoresEveryChoiceThatDidNotFail)
{
    struct Case
    {
        const char* name;
        std::vector<bool> choices;
        std::vector<bool> expectedCalls;
        bool expectedEnabled;
    };

    const Case cases[] = {
        {"enable twice takes one", {true, true}, {true}, true},
        {"the current value makes no call", {false}, {}, false},
        {"enable then disable", {true, false}, {true, false}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KeepAwakeRig fresh;
        for (const bool choice : c.choices) {
            fresh.m_settings->setEnabled(choice);
        }
        EXPECT_EQ(fresh.m_service->calls, c.expectedCalls);
        EXPECT_EQ(fresh.m_settings->isEnabled(), c.expectedEnabled);
        EXPECT_EQ(fresh.stored().toBool(), c.expectedEnabled);
        EXPECT_EQ(fresh.m_settings->error(), std::nullopt);
    }
}

TEST(KeepAwakeSettingsTest, AFailedChangeShowsItsSentenceAndKeepsStateAndPreference)
{
    KeepAwakeRig rig;
    rig.m_service->failing = true;
    rig.m_settings->setEnabled(true);
    EXPECT_FALSE(rig.m_settings->isEnabled());
    EXPECT_FALSE(rig.stored().isValid());
    EXPECT_EQ(rig.m_settings->error(),
              "Couldn\u2019t enable Keep computer awake: The system returned power management error "
              "org.example.Refused.");

    // The next attempt with the current value clears the sentence without calling the service.
    rig.m_settings->setEnabled(false);
    EXPECT_EQ(rig.m_service->calls.size(), 1u);
    EXPECT_EQ(rig.m_settings->error(), std::nullopt);
    EXPECT_EQ(rig.stored(), QVariant(false));

    rig.m_service->failing = false;
    rig.m_settings->setEnabled(true);
    rig.m_service->failing = true;
    rig.m_settings->setEnabled(false);
    EXPECT_TRUE(rig.m_settings->isEnabled());
    EXPECT_TRUE(rig.stored().toBool());
    EXPECT_EQ(rig.m_settings->error(),
              "Couldn\u2019t disable Keep computer awake: The system returned power management error "
              "org.example.Refused.");
}

TEST(KeepAwakeSettingsTest, QuittingReleasesWithoutForgettingTheChoice)
{
    KeepAwakeRig rig;
    rig.m_settings->releaseForQuit();
    EXPECT_TRUE(rig.m_service->calls.empty());

    rig.m_settings->setEnabled(true);
    rig.m_settings->releaseForQuit();
    EXPECT_EQ(rig.m_service->calls, (std::vector<bool>{true, false}));
    EXPECT_FALSE(rig.m_settings->isEnabled());
    EXPECT_TRUE(rig.m_settings->storedPreference());

    rig.m_settings->setEnabled(true);
    rig.m_service->failing = true;
    rig.m_settings->releaseForQuit();
    EXPECT_TRUE(rig.m_settings->isEnabled());
    EXPECT_EQ(rig.m_settings->error(),
              "Couldn\u2019t release sleep prevention: The system returned power management error "
              "org.example.Refused.");
}

class SystemKeepAwakeServiceTest : public ::testing::Test
{
protected:
    ~SystemKeepAwakeServiceTest() override { QDBusConnection::disconnectFromBus(QStringLiteral("client")); }

    SystemKeepAwakeService service()
    {
        return SystemKeepAwakeService(
            [address = m_bus.address()] { return QDBusConnection::connectToBus(address, QStringLiteral("client")); });
    }

    PrivateBus m_bus;
};

TEST_F(SystemKeepAwakeServiceTest, HoldsOneIdleInhibitorUntilDisabledOrDestroyed)
{
    StandInLogind logind(m_bus.address());
    {
        auto keepAwake = service();
        keepAwake.setEnabled(true);
        keepAwake.setEnabled(true);
        ASSERT_EQ(logind.inhibitCalls(), 1);
        EXPECT_EQ(logind.lastArguments(),
                  (std::vector<QString>{QStringLiteral("idle"),
                                        QStringLiteral("Tavlen"),
                                        QStringLiteral("Tavlen scheduled monitoring"),
                                        QStringLiteral("block")}));
        EXPECT_TRUE(logind.isHeld(0));

        keepAwake.setEnabled(false);
        EXPECT_TRUE(waitUntil([&] { return !logind.isHeld(0); })) << "the inhibitor is still held";
        keepAwake.setEnabled(false);

        keepAwake.setEnabled(true);
        ASSERT_EQ(logind.inhibitCalls(), 2);
        EXPECT_TRUE(logind.isHeld(1));
    }
    EXPECT_TRUE(waitUntil([&] { return !logind.isHeld(1); })) << "the inhibitor is still held";
}

TEST_F(SystemKeepAwakeServiceTest, WithoutLogindTheFailureNamesTheSystemsAnswer)
{
    auto keepAwake = service();
    try {
        keepAwake.setEnabled(true);
        FAIL() << "enabling succeeded without logind";
    } catch (const SystemServiceError& failure) {
        EXPECT_STREQ(failure.what(),
                     "The system returned power management error org.freedesktop.DBus.Error.ServiceUnknown.");
    }
    EXPECT_FALSE(keepAwake.holdsInhibitor());
}

TEST_F(SystemKeepAwakeServiceTest, SettingsOverTheRealServiceReleaseAtQuit)
{
    StandInLogind logind(m_bus.address());
    TemporaryDirectory directory;
    QSettings defaults(QString::fromStdString((directory / "Tavlen.ini").string()), QSettings::IniFormat);
    KeepAwakeSettings settings(defaults, std::make_unique<SystemKeepAwakeService>(service()));
    settings.setEnabled(true);
    ASSERT_EQ(logind.inhibitCalls(), 1);
    settings.releaseForQuit();
    EXPECT_TRUE(waitUntil([&] { return !logind.isHeld(0); })) << "the inhibitor is still held";
    EXPECT_TRUE(settings.storedPreference());
}

} // namespace
} // namespace tavlen::test
