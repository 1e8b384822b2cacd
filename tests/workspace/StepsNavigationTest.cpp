#include "StepsNavigation.h"

#include "WorkspaceEditingFixture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>

namespace tavlen::test {
namespace {

class StepsNavigationTest : public WorkspaceEditingTest
{
protected:
    StepsNavigationTest()
    {
        m_navigation.setWorkspace(m_workspace.get());
        m_navigation.attachPromptView(*m_view);
    }

    // A stored monitor whose id begins with the given text.
    Monitor addMonitorWithID(const std::string& prefix, const std::string& name)
    {
        const std::string text = prefix + Uuid::random().uppercaseString().substr(prefix.size());
        return finish(m_storedMonitors.create(*Uuid::parse(text), name));
    }

    // Waits until the prompt asks about the monitor.
    bool prompted(const Monitor& monitor)
    {
        return waitUntil([&] { return m_navigation.promptMonitorID() == monitor.id; });
    }

    std::unique_ptr<QObject> m_view = std::make_unique<QObject>();
    StepsNavigation m_navigation{m_store};
};

TEST_F(StepsNavigationTest, monitorsAreAskedAboutInTheOrderOfTheirIDsAndEachAnswerTakesEffect)
{
    const Monitor late = addMonitorWithID("A1", "Late");
    const Monitor clean = addMonitorWithID("55", "Clean");
    const Monitor early = addMonitorWithID("0F", "Early");
    load();
    m_workspace->select(late.id);
    draftOf(late)->setName("Late, renamed");
    draftOf(early)->setSchedule(everyQuarterHour());
    QSignalSpy busySpy(&m_navigation, &StepsNavigation::isBusyChanged);

    auto leaving = m_navigation.allowLeaving(false);
    EXPECT_TRUE(m_navigation.isBusy());
    EXPECT_TRUE(m_store->navigating);
    ASSERT_TRUE(prompted(early));
    EXPECT_FALSE(finish(m_navigation.allowLeaving(true))); // one decision at a time
    EXPECT_EQ(m_navigation.promptMonitorID(), early.id);
    m_navigation.decide(StepsNavigation::Choice::discard);
    ASSERT_TRUE(prompted(late));
    EXPECT_EQ(m_workspace->selection(), late.id);
    m_navigation.decide(StepsNavigation::Choice::save);
    EXPECT_TRUE(finish(std::move(leaving)));

    EXPECT_FALSE(draftOf(early)->hasUnsavedChanges());
    EXPECT_EQ(stored(early), early);
    EXPECT_EQ(stored(late).name, "Late, renamed");
    EXPECT_FALSE(m_workspace->hasUnsavedChanges(late.id));
    EXPECT_EQ(stored(clean), clean);
    EXPECT_FALSE(m_navigation.isBusy());
    EXPECT_EQ(busySpy.count(), 2);
    EXPECT_EQ(m_navigation.promptMonitorID(), std::nullopt);
    EXPECT_EQ(m_store->events, (std::vector<std::string>{"navigating", "idle", "discard steps", "not navigating"}));
}

TEST_F(StepsNavigationTest, theFirstCancelOrFailedSaveAnswersStay)
{
    const Monitor first = addMonitorWithID("10", "First");
    const Monitor second = addMonitorWithID("20", "Second");
    load();
    draftOf(first)->setName("First, renamed");
    draftOf(second)->setName("Second, renamed");

    auto leaving = m_navigation.allowLeaving(false);
    ASSERT_TRUE(prompted(first));
    m_navigation.decide(StepsNavigation::Choice::cancel);
    EXPECT_FALSE(finish(std::move(leaving)));
    EXPECT_TRUE(draftOf(first)->hasUnsavedChanges());
    EXPECT_TRUE(draftOf(second)->hasUnsavedChanges());
    EXPECT_FALSE(m_store->navigating);

    draftOf(first)->setName("  ");
    auto again = m_navigation.allowLeaving(false);
    ASSERT_TRUE(prompted(first));
    m_navigation.decide(StepsNavigation::Choice::save);
    EXPECT_FALSE(finish(std::move(again)));
    EXPECT_EQ(draftOf(first)->saveError(), MonitorStoreError::validation("Enter a name."));
    EXPECT_EQ(m_workspace->editFocus()->tab, MonitorDetailTab::details);
    EXPECT_EQ(m_workspace->selection(), first.id);
    EXPECT_EQ(stored(second), second); // never asked about
    EXPECT_FALSE(m_navigation.isBusy());
}

TEST_F(StepsNavigationTest, withoutAViewToShowThePromptTheAnswerIsCancel)
{
    const Monitor monitor = addMonitor("Prices");
    load();
    draftOf(monitor)->setName("Renamed");

    auto leaving = m_navigation.allowLeaving(false);
    ASSERT_TRUE(prompted(monitor));
    m_view.reset(); // the window closed with the prompt open
    EXPECT_FALSE(finish(std::move(leaving)));
    EXPECT_EQ(m_navigation.promptMonitorID(), std::nullopt);

    EXPECT_FALSE(finish(m_navigation.allowLeaving(true)));
    EXPECT_EQ(m_navigation.promptMonitorID(), std::nullopt);
    EXPECT_TRUE(draftOf(monitor)->hasUnsavedChanges());
    EXPECT_FALSE(m_navigation.isBusy());
    EXPECT_FALSE(m_store->navigating);

    draftOf(monitor)->setName("Prices");
    EXPECT_TRUE(finish(m_navigation.allowLeaving(false))); // nothing to ask about
    m_navigation.decide(StepsNavigation::Choice::save);    // no prompt open: nothing happens
    EXPECT_FALSE(m_navigation.isBusy());
}

TEST_F(StepsNavigationTest, aRunningCheckIsLeftAloneWhenSwitchingAndEndedBeforeQuitting)
{
    const Monitor checked = addMonitorWithID("10", "Checked");
    const Monitor other = addMonitorWithID("20", "Other");
    load();
    draftOf(checked)->setName("Checked, renamed");
    draftOf(other)->setName("Other, renamed");
    m_store->runCheck(checked.id);

    auto switching = m_navigation.allowLeaving(false);
    ASSERT_TRUE(prompted(other)); // the checked monitor is not asked about
    m_navigation.decide(StepsNavigation::Choice::discard);
    EXPECT_TRUE(finish(std::move(switching)));
    EXPECT_TRUE(m_store->isRunningSteps(checked.id));

    auto quitting = m_navigation.allowLeaving(true);
    ASSERT_TRUE(prompted(checked));
    EXPECT_FALSE(m_store->isRunningSteps(checked.id));
    m_navigation.decide(StepsNavigation::Choice::discard);
    EXPECT_TRUE(finish(std::move(quitting)));
    const std::vector<std::string>& events = m_store->events;
    const auto ended = std::find(events.begin(), events.end(), "check ended");
    EXPECT_NE(ended, events.end());
    EXPECT_EQ(std::count(events.begin(), events.end(), "idle for termination"), 1);
}

TEST_F(StepsNavigationTest, theDecisionWaitsForARunningReorderBeforeItSaves)
{
    const Monitor first = addMonitor("First");
    const Monitor second = addMonitor("Second");
    load();
    draftOf(first)->setName("First, renamed");
    m_scripted->reorderGate.close();
    m_workspace->moveMonitors({0}, 2);

    auto leaving = m_navigation.allowLeaving(false);
    EXPECT_EQ(m_store->events, std::vector<std::string>{"navigating"}); // waiting for the reorder
    EXPECT_FALSE(m_workspace->canSaveChanges(first.id));
    m_scripted->reorderGate.open();
    ASSERT_TRUE(prompted(first));
    EXPECT_FALSE(m_workspace->isBusy());
    m_navigation.decide(StepsNavigation::Choice::save);
    EXPECT_TRUE(finish(std::move(leaving)));
    EXPECT_EQ(stored(first).name, "First, renamed");
    load();
    EXPECT_EQ(m_workspace->monitors().front().id, second.id);
}

} // namespace
} // namespace tavlen::test
