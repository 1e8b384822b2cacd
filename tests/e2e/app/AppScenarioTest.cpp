#include "AppRig.h"
#include "BoundedWait.h"
#include "BrowserClient.h"
#include "ChromiumProcess.h"
#include "MainThreadWatchdog.h"
#include "MainWindow.h"
#include "ModelServer.h"
#include "TavlenScenes.h"
#include "TestPages.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <iostream>
#include <optional>
#include <thread>

namespace tavlen::test {
namespace {

using namespace std::chrono_literals;

constexpr auto connectBound = 90s;

// The process's CPU time so far (user and system).
std::chrono::microseconds processTime()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto time = [](const timeval& t) {
        return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
    };
    return time(usage.ru_utime) + time(usage.ru_stime);
}

// Tavlen as a new user meets it: the application over an empty home, the real host, Debian's Chromium with
// Tavlen's extension, a model provider on 127.0.0.1, and the windows driven by their objects' names.
class AppScenarioTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_rig = std::make_unique<AppRig>(QVariantMap{}, [this](TavlenAppEnvironment& environment) {
            environment.providers.openAI = QUrl(QString::fromStdString(m_model.baseURL()));
        });
        m_scenes = std::make_unique<TavlenScenes>(m_rig->app());
    }

    void TearDown() override
    {
        if (m_chromium) {
            if (HasFailure()) {
                std::cerr << "The extension's log:\n"
                          << m_chromium->extensionLog() << "The end of Chromium's log:\n"
                          << m_chromium->logTail(40);
            }
            m_rig.reset();
            EXPECT_TRUE(m_chromium->stop()) << "Chromium left processes behind";
        }
        m_scenes.reset();
        m_rig.reset();
    }

    // Names the scenario's current step for the stalls it causes; the watchdog starts with the first step after
    // the launch (the program's start runs before its event loop does).
    void phase(const char* name)
    {
        if (!m_watchdog) {
            m_watchdog.emplace(std::chrono::milliseconds(TAVLEN_STALL_LIMIT_MS));
        }
        m_watchdog->setPhase(QString::fromUtf8(name));
    }

    // Starts Chromium once the application has registered its host for it.
    void startChromium()
    {
        BrowserClient& browser = m_rig->app().browser();
        ASSERT_TRUE(waitUntil([&] { return !browser.state().isSettingUp(); }, connectBound));
        ASSERT_EQ(browser.state().connectionError(), std::nullopt);
        m_chromium =
            std::make_unique<ChromiumProcess>(m_rig->m_home / "config" / "chromium", m_rig->m_home / "chromium.log");
        ASSERT_TRUE(waitUntil([&] { return !browser.state().profiles().empty(); }, connectBound))
            << "Chromium's extension never said hello";
    }

    ModelServer m_model;
    TestPages m_pages;
    std::optional<MainThreadWatchdog> m_watchdog;
    std::unique_ptr<AppRig> m_rig;
    std::unique_ptr<TavlenScenes> m_scenes;
    std::unique_ptr<ChromiumProcess> m_chromium;
};

TEST_F(AppScenarioTest, aNewUserWatchesAPriceFromSettingsToScheduledChecks)
{
    const auto wallStart = std::chrono::steady_clock::now();
    const auto cpuStart = processTime();

    m_rig->delegate().applicationDidFinishLaunching(false);
    ui::MainWindow* window = m_scenes->mainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));

    phase("connect Chrome");
    startChromium();

    const auto wall =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - wallStart);
    const auto cpu = std::chrono::duration_cast<std::chrono::milliseconds>(processTime() - cpuStart);
    std::cout << "Scenario: " << wall.count() << " ms wall, " << cpu.count() << " ms of the test process's CPU ("
              << (wall.count() > 0 ? 100.0 * cpu.count() / wall.count() : 0) << " %); longest main-thread gap "
              << m_watchdog->longestGap().count() << " ms\n";
    EXPECT_TRUE(m_watchdog->stalls().empty()) << "the main thread stalled:\n" << m_watchdog->report().toStdString();
}

TEST_F(AppScenarioTest, theWatchdogSeesABlockedMainThread)
{
    phase("blocked");
    QTest::qWait(20);
    std::this_thread::sleep_for(std::chrono::milliseconds(TAVLEN_STALL_LIMIT_MS) + 30ms);
    QTest::qWait(20);
    ASSERT_EQ(m_watchdog->stalls().size(), 1u);
    EXPECT_GE(m_watchdog->stalls()[0].length, std::chrono::milliseconds(TAVLEN_STALL_LIMIT_MS));
    EXPECT_EQ(m_watchdog->stalls()[0].phase, QStringLiteral("blocked"));
}

} // namespace
} // namespace tavlen::test
