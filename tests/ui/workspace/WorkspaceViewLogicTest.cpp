#include "MonitorDetailTabs.h"
#include "MonitorScheduleFacts.h"
#include "SidebarPageLine.h"
#include "WorkspaceAlerts.h"

#include <gtest/gtest.h>

namespace tavlen::ui {
namespace {

using Tab = MonitorDetailTab;

TEST(SidebarPageLineTest, theDomainWinsElseTheLineSaysWhetherTheUrlIsMissingOrUnknown)
{
    const struct
    {
        const char* name;
        std::optional<std::string> domain;
        bool hasSidebarError;
        QString text;
        QString help;
    } rows[] = {
        {"known domain", "example.com", false, QStringLiteral("example.com"), QStringLiteral("example.com")},
        {"known domain while the last load failed",
         "example.com",
         true,
         QStringLiteral("example.com"),
         QStringLiteral("example.com")},
        {"no URL saved",
         std::nullopt,
         false,
         QStringLiteral("No URL set"),
         QStringLiteral("Save a URL in the Open page step.")},
        {"summaries unavailable",
         std::nullopt,
         true,
         QStringLiteral("URL unavailable"),
         QStringLiteral("Save a URL in the Open page step.")},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(monitorPageText(row.domain, row.hasSidebarError), row.text);
        EXPECT_EQ(monitorPageHelp(row.domain), row.help);
    }
}

TEST(SidebarPageLineTest, aSummaryWithoutDomainAndAMissingSummaryBothGiveNone)
{
    const Uuid withDomain = Uuid::random();
    const Uuid withoutDomain = Uuid::random();
    MonitorWorkspaceState::SidebarSummaries summaries;
    summaries[withDomain].domain = "a.test";
    summaries[withoutDomain];
    EXPECT_EQ(summaryDomain(summaries, withDomain), "a.test");
    EXPECT_EQ(summaryDomain(summaries, withoutDomain), std::nullopt);
    EXPECT_EQ(summaryDomain(summaries, Uuid::random()), std::nullopt);
}

TEST(MonitorDetailTabsTest, scheduleAndDetailsArePresentOnlyWithAChangesDraft)
{
    EXPECT_EQ(presentDetailTabs(true),
              (std::vector{Tab::steps, Tab::schedule, Tab::history, Tab::charts, Tab::details}));
    EXPECT_EQ(presentDetailTabs(false), (std::vector{Tab::steps, Tab::history, Tab::charts}));
    EXPECT_EQ(detailTabLabel(Tab::steps), QStringLiteral("Steps"));
    EXPECT_EQ(detailTabLabel(Tab::details), QStringLiteral("Details"));
}

TEST(MonitorDetailTabsTest, anAbsentRememberedTabShowsTheFirstPresentTab)
{
    const struct
    {
        const char* name;
        Tab remembered;
        bool hasDraft;
        Tab shown;
    } rows[] = {
        {"history is always there", Tab::history, false, Tab::history},
        {"schedule with a draft", Tab::schedule, true, Tab::schedule},
        {"schedule without a draft", Tab::schedule, false, Tab::steps},
        {"details without a draft", Tab::details, false, Tab::steps},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(shownDetailTab(row.remembered, presentDetailTabs(row.hasDraft)), row.shown);
    }
}

TEST(MonitorScheduleFactsTest, aMonitorQueuedTwiceIsQueuedAndWithoutSchedulerNothingIsKnown)
{
    const Uuid id = Uuid::random();
    ScheduleSnapshot snapshot;
    snapshot.queue.push_back(QueuedCheck{Uuid::random(), Uuid::random(), 1, 0});
    snapshot.queue.push_back(QueuedCheck{Uuid::random(), id, 1, 0});
    snapshot.queue.push_back(QueuedCheck{Uuid::random(), id, 1, 5});
    snapshot.states[id] = ScheduleState{};
    const MonitorScheduleFacts facts = scheduleFactsOf(&snapshot, id);
    EXPECT_TRUE(facts.isQueued);
    EXPECT_TRUE(facts.state.has_value());

    const MonitorScheduleFacts other = scheduleFactsOf(&snapshot, Uuid::random());
    EXPECT_FALSE(other.isQueued);
    EXPECT_FALSE(other.state.has_value());

    const MonitorScheduleFacts none = scheduleFactsOf(nullptr, id);
    EXPECT_FALSE(none.isQueued);
    EXPECT_FALSE(none.state.has_value());
}

TEST(WorkspaceAlertsTest, theUnsavedChangesQuestionNamesThePromptedMonitorOrSaysMonitor)
{
    Monitor prices;
    prices.id = Uuid::random();
    prices.name = "Prices";
    std::optional<StepsNavigation::Choice> answered;
    const auto decide = [&](StepsNavigation::Choice choice) { answered = choice; };

    EXPECT_FALSE(unsavedChangesAlert(std::nullopt, {prices}, decide));
    const auto named = unsavedChangesAlert(prices.id, {prices}, decide);
    ASSERT_TRUE(named);
    EXPECT_EQ(named->title, QStringLiteral("Save changes to this monitor?"));
    EXPECT_EQ(named->message,
              QStringLiteral("Save changes to \u201cPrices\u201d before leaving, or discard them to restore its saved "
                             "name, schedule, and Steps."));
    ASSERT_EQ(named->buttons.size(), 3u);
    EXPECT_EQ(named->buttons[1].role, AlertButtonRole::destructive);
    EXPECT_EQ(named->buttons[2].role, AlertButtonRole::cancel);
    named->buttons[1].action();
    EXPECT_EQ(answered, StepsNavigation::Choice::discard);

    const auto gone = unsavedChangesAlert(Uuid::random(), {prices}, decide);
    ASSERT_TRUE(gone);
    EXPECT_TRUE(gone->message.startsWith(QStringLiteral("Save changes to \u201cmonitor\u201d")))
        << gone->message.toStdString();
}

} // namespace
} // namespace tavlen::ui
