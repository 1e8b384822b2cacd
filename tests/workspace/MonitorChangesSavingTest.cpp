#include "WorkspaceEditingFixture.h"

#include <gtest/gtest.h>

#include <variant>

namespace tavlen::test {
namespace {

class MonitorChangesSavingTest : public WorkspaceEditingTest
{
protected:
    std::string storedURL(const Monitor& monitor)
    {
        const std::optional<SavedSteps> saved = storedSteps(monitor);
        if (!saved) {
            return "none";
        }
        return std::get<StepsDocument::OpenPage>(saved->workflow.document.steps.front().content).url;
    }

    MonitorDetailTab focusedTab() const { return m_workspace->editFocus().value().tab; }
};

TEST_F(MonitorChangesSavingTest, editsMadeWhileTheWriteRunsStayUnsaved)
{
    const Monitor monitor = addMonitor("Prices");
    saveOpenPage(monitor, "https://example.com/a");
    int schedulesChanged = 0;
    m_workspace->setOnSchedulesChanged([&schedulesChanged] { ++schedulesChanged; });
    load();
    const std::shared_ptr<StepsSession> session = loadSession(monitor);
    const std::shared_ptr<MonitorChangesDraft> draft = draftOf(monitor);
    draft->setName("  Prices EU ");
    draft->setSchedule(everyQuarterHour());
    editURL(monitor, "https://example.com/b");
    EXPECT_TRUE(m_workspace->canSaveChanges(monitor.id));
    m_scripted->saveGate.close();

    auto saving = m_workspace->saveChanges(monitor.id);
    ASSERT_TRUE(waitUntil([&] { return m_scripted->saveGate.arrived() == 1; }));
    EXPECT_TRUE(m_workspace->isBusy());
    EXPECT_EQ(m_workspace->changeActivity(), WorkspaceChangeActivity::saving(monitor.id));
    EXPECT_FALSE(m_workspace->canSaveChanges(monitor.id));
    EXPECT_FALSE(m_workspace->canEditChanges(monitor.id));
    EXPECT_EQ(draft->attemptedName(), "Prices EU");
    EXPECT_EQ(draft->attemptedInput(), "  Prices EU ");
    draft->setName("Prices EU and UK");
    editURL(monitor, "https://example.com/c");
    m_scripted->saveGate.open();
    EXPECT_TRUE(finish(std::move(saving)));

    const Monitor saved = stored(monitor);
    EXPECT_EQ(saved.name, "Prices EU");
    EXPECT_EQ(saved.version, 2);
    EXPECT_TRUE(saved.schedule.preferences.scheduleEnabled);
    EXPECT_EQ(storedURL(monitor), "https://example.com/b");
    EXPECT_EQ(m_workspace->monitors().front(), saved);
    EXPECT_EQ(schedulesChanged, 2);
    EXPECT_EQ(draft->baseline(), "Prices EU");
    EXPECT_EQ(draft->name(), "Prices EU and UK");
    EXPECT_EQ(draft->schedule(), everyQuarterHour());
    EXPECT_EQ(draft->attemptedName(), std::nullopt);
    EXPECT_EQ(session->version(), 2);
    EXPECT_TRUE(session->hasUnsavedChanges());
    EXPECT_TRUE(m_workspace->hasUnsavedChanges(monitor.id));
    EXPECT_FALSE(m_workspace->isBusy());
    EXPECT_EQ(m_workspace->changeActivity(), std::nullopt);
    EXPECT_EQ(m_workspace->changeOperation(), std::nullopt);
}

TEST_F(MonitorChangesSavingTest, aCombinedSaveWhoseStepsAreStaleStoresNothing)
{
    const Monitor monitor = addMonitor("Prices");
    saveOpenPage(monitor, "https://example.com/a");
    load();
    const std::shared_ptr<StepsSession> session = loadSession(monitor);
    const std::shared_ptr<MonitorChangesDraft> draft = draftOf(monitor);
    draft->setName("Renamed");
    draft->setSchedule(everyQuarterHour());
    editURL(monitor, "https://example.com/b");
    finish(m_steps.saveSteps(monitor.id, 1, StepsWorkflow{sampleDocument(std::nullopt, {}, "https://other.example")}));

    EXPECT_FALSE(finish(m_workspace->saveChanges(monitor.id)));
    EXPECT_EQ(stored(monitor), monitor);
    EXPECT_EQ(storedURL(monitor), "https://other.example");
    EXPECT_EQ(draft->saveError(), MonitorStoreError::staleEdit());
    EXPECT_EQ(draft->errorTab(), MonitorDetailTab::schedule);
    EXPECT_EQ(focusedTab(), MonitorDetailTab::schedule);
    EXPECT_EQ(session->error(), MonitorStoreError::staleEdit());
    EXPECT_FALSE(session->needsReconciliation());
    EXPECT_FALSE(m_workspace->canSaveChanges(monitor.id));
    EXPECT_FALSE(m_workspace->canEditChanges(monitor.id));
    EXPECT_TRUE(m_workspace->canDiscardChanges(monitor.id));
    EXPECT_EQ(m_workspace->runBlockedReason(monitor.id), "Resolve the storage error in Schedule before running.");

    // Discarding puts the edits back and keeps the stale edit until a reload.
    EXPECT_TRUE(finish(m_workspace->discardChanges(monitor.id)));
    EXPECT_EQ(draft->name(), "Prices");
    EXPECT_FALSE(m_workspace->hasUnsavedChanges(monitor.id));
    EXPECT_EQ(draft->saveError(), MonitorStoreError::staleEdit());
    EXPECT_EQ(session->error(), MonitorStoreError::staleEdit());
    EXPECT_EQ(m_workspace->changeActivity(), std::nullopt);
    EXPECT_FALSE(m_workspace->isBusy());
}

TEST_F(MonitorChangesSavingTest, aVersionMovedByAnotherWriterShowsOnTheTabOfTheRequest)
{
    enum class Edit
    {
        name,
        schedule,
        nameAndSchedule,
        steps,
    };

    const struct
    {
        const char* name;
        Edit edit;
        MonitorDetailTab tab;
    } rows[] = {
        {"a renamed monitor renamed elsewhere", Edit::name, MonitorDetailTab::details},
        {"a schedule changed elsewhere", Edit::schedule, MonitorDetailTab::schedule},
        {"name and schedule, only the name moved", Edit::nameAndSchedule, MonitorDetailTab::schedule},
        {"Steps saved elsewhere", Edit::steps, MonitorDetailTab::steps},
    };

    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Monitor monitor = addMonitor(row.name);
        saveOpenPage(monitor, "https://example.com/a");
        load();
        loadSession(monitor);
        const std::shared_ptr<MonitorChangesDraft> draft = draftOf(monitor);
        MonitorChanges elsewhere;
        if (row.edit == Edit::steps) {
            editURL(monitor, "https://example.com/b");
            finish(
                m_steps.saveSteps(monitor.id, 1, StepsWorkflow{sampleDocument(std::nullopt, {}, "https://c.example")}));
        }
        if (row.edit != Edit::steps && row.edit != Edit::schedule) {
            draft->setName("Mine");
            elsewhere.name = "Theirs";
        }
        if (row.edit == Edit::schedule || row.edit == Edit::nameAndSchedule) {
            draft->setSchedule(everyQuarterHour());
        }
        if (row.edit == Edit::schedule) {
            elsewhere.schedule = MonitorScheduleChange{1, {ScheduleRule::defaultRule(), true}};
        }
        if (elsewhere.name || elsewhere.schedule) {
            finish(m_storedMonitors.saveChanges(monitor.id, elsewhere));
        }
        const Monitor before = stored(monitor);

        EXPECT_FALSE(finish(m_workspace->saveChanges(monitor.id)));
        EXPECT_EQ(stored(monitor), before);
        EXPECT_EQ(draft->saveError(), MonitorStoreError::staleEdit());
        EXPECT_EQ(draft->errorTab(), row.tab);
        EXPECT_EQ(focusedTab(), row.tab);
        EXPECT_EQ(m_workspace->selection(), monitor.id);
        EXPECT_FALSE(m_workspace->isBusy());
    }
}

TEST_F(MonitorChangesSavingTest, invalidEditsStoreNothingAndPointAtTheirTab)
{
    const Monitor monitor = addMonitor("Prices");
    load();
    const std::shared_ptr<StepsSession> session = loadSession(monitor); // nothing stored: an empty URL
    const std::shared_ptr<MonitorChangesDraft> draft = draftOf(monitor);
    ScheduleDraft invalid = everyQuarterHour();
    invalid.intervalPreset = IntervalPreset::custom;
    invalid.customInterval = "1.5";
    const std::string invalidMessage = invalid.validationMessage(ScheduleDraft::Field::customInterval).value();

    draft->setName(" \n ");
    draft->setSchedule(invalid);
    EXPECT_FALSE(finish(m_workspace->saveChanges(monitor.id)));
    EXPECT_EQ(draft->saveError(), MonitorStoreError::validation("Enter a name."));
    EXPECT_EQ(focusedTab(), MonitorDetailTab::details);

    draft->setName("Prices EU");
    const MonitorEditFocus nameFocus = m_workspace->editFocus().value();
    EXPECT_FALSE(finish(m_workspace->saveChanges(monitor.id)));
    EXPECT_EQ(draft->saveError(), MonitorStoreError::validation(invalidMessage));
    EXPECT_TRUE(draft->showsScheduleValidation());
    EXPECT_EQ(focusedTab(), MonitorDetailTab::schedule);
    EXPECT_NE(m_workspace->editFocus(), nameFocus);

    draft->setSchedule(everyQuarterHour());
    editURL(monitor, "");
    session->draft()->steps().front()->content().openPageSettings()->setScreenshotDelayText("x");
    const Uuid submission = session->submission();
    EXPECT_FALSE(finish(m_workspace->saveChanges(monitor.id)));
    EXPECT_EQ(draft->saveError(), std::nullopt);
    EXPECT_TRUE(session->showsValidation());
    EXPECT_NE(session->submission(), submission);
    EXPECT_EQ(focusedTab(), MonitorDetailTab::steps);

    EXPECT_EQ(m_scripted->saves, 0);
    EXPECT_FALSE(m_workspace->isBusy());
    EXPECT_EQ(stored(monitor), monitor);
}

TEST_F(MonitorChangesSavingTest, aWriteThatReachedStorageUpdatesTheWorkspaceAfterItsDraftWasReplaced)
{
    const Monitor monitor = addMonitor("Prices");
    int schedulesChanged = 0;
    m_workspace->setOnSchedulesChanged([&schedulesChanged] { ++schedulesChanged; });
    load();
    const std::shared_ptr<MonitorChangesDraft> submitted = draftOf(monitor);
    submitted->setName("Renamed");
    submitted->setSchedule(everyQuarterHour());
    m_scripted->saveGate.close();
    auto saving = m_workspace->saveChanges(monitor.id);
    ASSERT_TRUE(waitUntil([&] { return m_scripted->saveGate.arrived() == 1; }));
    const auto replacement = std::make_shared<MonitorChangesDraft>(monitor);
    m_workspace->putChangeDraft(monitor.id, replacement);

    m_scripted->saveGate.open();
    EXPECT_FALSE(finish(std::move(saving)));
    const Monitor saved = stored(monitor);
    EXPECT_EQ(saved.name, "Renamed");
    EXPECT_EQ(m_workspace->monitors().front(), saved);
    EXPECT_EQ(schedulesChanged, 2);
    EXPECT_EQ(replacement->baseline(), "Renamed");
    EXPECT_EQ(replacement->expectedVersion(), 2);
    EXPECT_EQ(replacement->expectedScheduleVersion(), 2);
    EXPECT_FALSE(replacement->hasUnsavedChanges());
    EXPECT_EQ(submitted->baseline(), "Prices");
    EXPECT_EQ(submitted->saveError(), std::nullopt);
    EXPECT_FALSE(m_workspace->isBusy());
}

TEST_F(MonitorChangesSavingTest, aSaveThatMayNotStartOnlyFocusesTheMonitor)
{
    const Monitor first = addMonitor("First");
    const Monitor second = addMonitor("Second");
    load();
    draftOf(second)->setName("Second, renamed");
    m_workspace->setEditor(std::make_shared<MonitorEditorSession>());

    EXPECT_FALSE(finish(m_workspace->saveChanges(second.id)));
    EXPECT_EQ(m_workspace->selection(), second.id);
    EXPECT_EQ(focusedTab(), MonitorDetailTab::steps);
    EXPECT_EQ(m_scripted->saves, 0);

    const MonitorEditFocus before = m_workspace->editFocus().value();
    m_workspace->focusMonitor(Uuid::random(), MonitorDetailTab::details);
    EXPECT_EQ(m_workspace->editFocus(), before);
    EXPECT_EQ(m_workspace->selection(), second.id);
    EXPECT_FALSE(m_workspace->canSaveChanges(first.id)); // nothing to save
}

} // namespace
} // namespace tavlen::test
