#include "AppRig.h"
#include "BoundedWait.h"
#include "BrowserClient.h"
#include "MainWindow.h"
#include "MonitorChangesDraft.h"
#include "MonitorDatabase.h"
#include "MonitorWorkspace.h"
#include "StepsNavigation.h"
#include "TavlenScenes.h"

#include <gtest/gtest.h>

namespace tavlen::test {
namespace {

// Stops the real client and notes whether the scheduler still ran at that moment.
class RecordingBrowser final : public BrowserSessionControlling
{
public:
    RecordingBrowser(BrowserClient& client, MonitorScheduler& scheduler)
        : m_client(client)
        , m_scheduler(scheduler)
    {}

    QCoro::Task<void> stop() override
    {
        schedulerRanAtStop = m_scheduler.isStarted();
        schedulerPausedAtStop = m_scheduler.isPaused();
        ++stops;
        co_await m_client.stop();
    }

    int stops = 0;
    bool schedulerRanAtStop = false;
    bool schedulerPausedAtStop = false;

private:
    BrowserClient& m_client;
    MonitorScheduler& m_scheduler;
};

// A started app with one monitor whose name was changed and not saved, and a prompt the test answers.
class QuitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        {
            MonitorDatabase database(m_rig.workspaceFile());
            waitBounded(database.write([id = m_monitorID](SqliteConnection& connection) {
                connection.execute("INSERT INTO monitors (id, name, version, created_at_ms) VALUES ('" +
                                   id.lowercaseString() + "', 'Prices', 1, 1000)");
            }));
        }
        delegate().browser = &m_browser;
        delegate().applicationDidFinishLaunching(false);
        ASSERT_TRUE(waitUntil([&] { return app().workspace().loadState().isReady() && !app().workspace().isBusy(); }));
        app().workspace().changeDraft(m_monitorID)->setName("Prices (edited)");
        app().stepsNavigation().attachPromptView(m_promptView);
        QObject::connect(&app().stepsNavigation(), &StepsNavigation::promptMonitorIDChanged, [this] {
            prompts += app().stepsNavigation().promptMonitorID().has_value() ? 1 : 0;
        });
    }

    // The recording browser goes before the rig, whose end stops the real client.
    void TearDown() override { delegate().browser = &app().browser(); }

    TavlenApp& app() { return m_rig.app(); }

    AppDelegate& delegate() { return m_rig.delegate(); }

    // Waits for the prompt and answers it.
    void answer(StepsNavigation::Choice choice)
    {
        ASSERT_TRUE(waitUntil([&] { return app().stepsNavigation().promptMonitorID().has_value(); }));
        app().stepsNavigation().decide(choice);
    }

    AppRig m_rig;
    Uuid m_monitorID = Uuid::random();
    RecordingBrowser m_browser{m_rig.app().browser(), m_rig.app().scheduler()};
    QObject m_promptView;
    int prompts = 0;
};

TEST_F(QuitTest, QuitTwiceAsksOnceAndCancelKeepsEverythingRunning)
{
    std::vector<bool> replies;
    delegate().applicationShouldTerminate([&](bool allowed) { replies.push_back(allowed); });
    delegate().applicationShouldTerminate([&](bool allowed) { replies.push_back(!allowed); });
    ASSERT_TRUE(waitUntil([&] { return app().stepsNavigation().promptMonitorID().has_value(); }));
    EXPECT_TRUE(app().scheduler().isPaused()) << "the scheduler pauses during the prompt";

    answer(StepsNavigation::Choice::cancel);
    ASSERT_TRUE(waitUntil([&] { return !replies.empty(); }));
    EXPECT_EQ(replies, std::vector<bool>{false});
    EXPECT_EQ(prompts, 1);
    EXPECT_FALSE(delegate().isQuitting());
    EXPECT_FALSE(app().scheduler().isPaused());
    EXPECT_TRUE(app().scheduler().isStarted());
    EXPECT_EQ(m_browser.stops, 0);
    EXPECT_FALSE(app().browser().isStopping());

    // A later quit is decided afresh; confirming stops the browser client, then the scheduler.
    delegate().applicationShouldTerminate([&](bool allowed) { replies.push_back(allowed); });
    answer(StepsNavigation::Choice::discard);
    ASSERT_TRUE(waitUntil([&] { return replies.size() == 2; }));
    EXPECT_TRUE(replies[1]);
    EXPECT_EQ(prompts, 2);
    EXPECT_TRUE(delegate().isQuitting());
    EXPECT_EQ(m_browser.stops, 1);
    EXPECT_TRUE(m_browser.schedulerRanAtStop);
    EXPECT_TRUE(m_browser.schedulerPausedAtStop);
    EXPECT_FALSE(app().scheduler().isStarted());
    EXPECT_TRUE(app().browser().isStopping());
}

TEST_F(QuitTest, ClosingTheWindowAsksAndKeepsTheAppAndTheWindow)
{
    TavlenScenes scenes(app());
    ASSERT_NE(scenes.mainWindow(), nullptr) << "the launch asked for the main window";
    ui::MainWindow* window = scenes.mainWindow();
    EXPECT_EQ(delegate().mainWindow(), window);
    EXPECT_EQ(window->size(), QSize(960, 640));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tavlen"));
    ASSERT_TRUE(window->isVisible());

    window->close();
    answer(StepsNavigation::Choice::cancel);
    ASSERT_TRUE(waitUntil([&] { return !app().stepsNavigation().isBusy(); }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());

    window->close();
    ASSERT_TRUE(waitUntil([&] { return app().stepsNavigation().promptMonitorID().has_value(); }));
    window->close(); // ignored while the prompt shows
    app().stepsNavigation().decide(StepsNavigation::Choice::discard);
    ASSERT_TRUE(waitUntil([&] { return !window->isVisible(); }));
    EXPECT_EQ(prompts, 2);
    EXPECT_FALSE(delegate().isQuitting());
    EXPECT_TRUE(app().scheduler().isStarted());

    // Opening again shows the same window.
    delegate().requestMainWindow();
    EXPECT_EQ(scenes.mainWindow(), window);
    EXPECT_TRUE(window->isVisible());
}

} // namespace
} // namespace tavlen::test
