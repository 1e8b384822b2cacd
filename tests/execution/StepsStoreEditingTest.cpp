#include "StepsScreenshot.h"
#include "StepsStoreWorld.h"

#include <QObject>

#include <gtest/gtest.h>

namespace tavlen::test {
namespace {

class StepsStoreEditingTest : public StepsStoreWorld
{
public:
    // A write that stores the workflow and then reports a failure: what a lost connection after the commit
    // looks like to the editor.
    StepsStore::StepsWrite storesThenFails(MonitorStoreError failure)
    {
        return
            [this, failure](std::optional<std::int64_t> expected, StepsWorkflow workflow) -> QCoro::Task<SavedSteps> {
                auto saving = m_steps.saveSteps(m_monitor, expected, std::move(workflow));
                co_await std::move(saving);
                throw failure;
            };
    }
};

TEST_F(StepsStoreEditingTest, load_withoutStoredSteps_givesOneEmptyOpenPageStepThatCanBeSaved)
{
    const auto session = load();
    ASSERT_NE(session, nullptr);
    ASSERT_NE(session->draft(), nullptr);
    ASSERT_EQ(session->draft()->steps().size(), 1u);
    EXPECT_EQ(pageSettings(session).url(), "");
    EXPECT_EQ(pageSettings(session).viewport(), defaultCapture);
    EXPECT_EQ(session->version(), std::nullopt);
    EXPECT_FALSE(session->isLoading());
    EXPECT_FALSE(session->hasUnsavedChanges());
    EXPECT_TRUE(session->canSave());
    EXPECT_TRUE(state().loads.empty());
}

TEST_F(StepsStoreEditingTest, load_keepsAnOpenDraftUnlessForced)
{
    const SavedSteps saved = store(document({{numberField("Price")}}));
    const auto session = load();
    const auto firstDraft = session->draft();
    EXPECT_EQ(session->version(), 1);
    EXPECT_EQ(session->baseline(), saved.workflow);

    pageSettings(session).setUrl("https://b.test/");
    session->setError(MonitorStoreError::validation("Enter a field name."));
    session->setShowsValidation(true);
    load();
    EXPECT_EQ(session->draft(), firstDraft);
    EXPECT_TRUE(session->hasUnsavedChanges());
    EXPECT_EQ(m_repository.savedStepsReads, 1);

    const SavedSteps newer = store(document({{numberField("Stock")}}), 1);
    EXPECT_EQ(load(std::nullopt, true), session) << "the same session object stays";
    EXPECT_NE(session->draft(), firstDraft);
    EXPECT_EQ(session->version(), 2);
    EXPECT_EQ(session->baseline(), newer.workflow);
    EXPECT_FALSE(session->hasUnsavedChanges());
    EXPECT_EQ(session->error(), std::nullopt);
    EXPECT_FALSE(session->showsValidation());
}

TEST_F(StepsStoreEditingTest, concurrentLoads_runOneRead)
{
    store(document({{numberField("Price")}}));
    m_repository.readDelay = std::chrono::seconds(1); // the first read is still running when the second call comes
    auto first = m_store.loadSteps(m_monitor, false);
    auto second = m_store.loadSteps(m_monitor, true);
    ASSERT_TRUE(state().session(m_monitor)->isLoading());
    run(std::move(second));
    EXPECT_FALSE(state().session(m_monitor)->isLoading()) << "the second call returns when the first load ends";
    run(std::move(first));
    EXPECT_EQ(m_repository.savedStepsReads, 1);
    EXPECT_EQ(state().session(m_monitor)->version(), 1);
}

TEST_F(StepsStoreEditingTest, save_racingAnEdit_storesWhatWasSavedAndKeepsTheEditUnsaved)
{
    const auto session = load();
    pageSettings(session).setUrl("https://a.test/");
    const std::int64_t revision = state().savedStepsRevision();

    auto saving = m_store.saveSteps(m_monitor, {});
    ASSERT_TRUE(session->isSaving());
    EXPECT_EQ(session->attemptedSave()->document.steps, session->draft()->documentEntries());
    pageSettings(session).setUrl("https://b.test/"); // while the write runs
    EXPECT_TRUE(run(std::move(saving)));

    EXPECT_FALSE(session->isSaving());
    EXPECT_EQ(session->version(), 1);
    EXPECT_EQ(std::get<StepsDocument::OpenPage>(session->baseline()->document.steps.front().content).url,
              "https://a.test/");
    EXPECT_TRUE(session->hasUnsavedChanges());
    EXPECT_EQ(session->attemptedSave(), std::nullopt);
    EXPECT_FALSE(session->showsValidation());
    EXPECT_EQ(state().savedStepsRevision(), revision + 1);
    EXPECT_TRUE(state().saves.empty());
    const std::optional<SavedSteps> stored = finish(m_steps.savedSteps(m_monitor));
    EXPECT_EQ(stored->workflow, *session->baseline());
}

TEST_F(StepsStoreEditingTest, save_overAnotherWritersVersion_isStaleAndKeepsTheDraft)
{
    const auto session = loadSaved();
    store(document({{numberField("Stock")}}), 1); // another writer: version 2
    pageSettings(session).setUrl("https://b.test/");
    const auto draft = session->draft();

    EXPECT_FALSE(save());
    EXPECT_EQ(session->error(), MonitorStoreError::staleEdit());
    EXPECT_FALSE(session->needsReconciliation());
    EXPECT_EQ(session->draft(), draft);
    EXPECT_EQ(session->version(), 1);
    EXPECT_EQ(pageSettings(session).url(), "https://b.test/");
}

TEST_F(StepsStoreEditingTest, uncertainSave_isReconciledByAReloadThatFindsItStored)
{
    const auto session = loadSaved();
    pageSettings(session).setUrl("https://b.test/");
    EXPECT_FALSE(save(std::nullopt, storesThenFails(MonitorStoreError::interrupted())));
    EXPECT_EQ(session->error(), MonitorStoreError::interrupted());
    EXPECT_TRUE(session->needsReconciliation());
    EXPECT_TRUE(session->attemptedSave().has_value());
    EXPECT_FALSE(session->canSave());
    EXPECT_FALSE(save()) << "no save while the outcome is in doubt";

    const std::int64_t revision = state().savedStepsRevision();
    run(m_store.reloadSteps(m_monitor));
    EXPECT_EQ(session->version(), 2);
    EXPECT_EQ(session->error(), std::nullopt);
    EXPECT_FALSE(session->needsReconciliation());
    EXPECT_EQ(session->attemptedSave(), std::nullopt);
    EXPECT_FALSE(session->hasUnsavedChanges());
    EXPECT_EQ(state().savedStepsRevision(), revision + 1);
}

TEST_F(StepsStoreEditingTest, uncertainSave_becomesStaleWhenStorageHoldsSomethingElse)
{
    const auto session = loadSaved();
    pageSettings(session).setUrl("https://b.test/");
    const StepsStore::StepsWrite failsOnly = [](std::optional<std::int64_t>, StepsWorkflow) -> QCoro::Task<SavedSteps> {
        throw MonitorStoreError::storage();
        co_return SavedSteps{};
    };
    EXPECT_FALSE(save(std::nullopt, failsOnly));
    EXPECT_TRUE(session->needsReconciliation());
    store(document({{numberField("Stock")}}), 1);

    run(m_store.reloadSteps(m_monitor));
    EXPECT_EQ(session->error(), MonitorStoreError::staleEdit());
    EXPECT_FALSE(session->needsReconciliation());
    EXPECT_EQ(session->version(), 1);
    EXPECT_EQ(pageSettings(session).url(), "https://b.test/");
}

TEST_F(StepsStoreEditingTest, reload_whileSavingOrLoading_doesNothing)
{
    const auto session = loadSaved();
    store(document({{numberField("Stock")}}), 1);
    for (const bool saving : {true, false}) {
        session->setIsSaving(saving);
        session->setIsLoading(!saving);
        run(m_store.reloadSteps(m_monitor));
        EXPECT_EQ(session->error(), std::nullopt);
    }
    EXPECT_EQ(m_repository.savedStepsReads, 1);
}

TEST_F(StepsStoreEditingTest, save_ofAnEqualWorkflow_keepsTheVersionAndTakesTheNewNumericTexts)
{
    const auto session = loadSaved();
    pageSettings(session).setScreenshotDelayText("00");
    ASSERT_TRUE(session->hasUnsavedChanges());
    EXPECT_TRUE(save());
    EXPECT_EQ(session->version(), 1);
    EXPECT_FALSE(session->hasUnsavedChanges());
    EXPECT_EQ(session->baselineNumericInputs().front(), "00");
}

TEST_F(StepsStoreEditingTest, save_withInputProblems_showsValidationAndStoresNothing)
{
    const auto session = loadSaved();
    const Uuid submission = session->submission();
    pageSettings(session).setUrl("not a url");
    EXPECT_FALSE(save());
    EXPECT_TRUE(session->showsValidation());
    EXPECT_NE(session->submission(), submission);
    EXPECT_FALSE(session->isSaving());
    EXPECT_EQ(session->attemptedSave(), std::nullopt);
}

TEST_F(StepsStoreEditingTest, discard_returnsToTheBaselineKeepingStorageErrorsAndTheScreenshot)
{
    const auto session = loadSaved();
    const std::shared_ptr<const StepsCapture> screenshot =
        StepsScreenshot::make(fakeSnapshot(defaultCapture, "https://a.test/"));
    pageSettings(session).setScreenshot(screenshot);
    pageSettings(session).setUrl("https://b.test/");
    EXPECT_FALSE(save(std::nullopt, storesThenFails(MonitorStoreError::storage())));
    ASSERT_TRUE(session->needsReconciliation());
    const auto attempted = session->attemptedSave();

    run(m_store.discardChanges(m_monitor));
    EXPECT_EQ(pageSettings(session).url(), "https://a.test/");
    EXPECT_EQ(pageSettings(session).screenshot(), screenshot);
    EXPECT_EQ(session->error(), MonitorStoreError::storage());
    EXPECT_TRUE(session->needsReconciliation());
    EXPECT_EQ(session->attemptedSave(), attempted);

    session->setNeedsReconciliation(false);
    session->setError(MonitorStoreError::validation("Enter a field name."));
    run(m_store.discardChanges(m_monitor));
    EXPECT_EQ(session->error(), std::nullopt);
}

TEST_F(StepsStoreEditingTest, discard_withoutABaseline_changesNothing)
{
    run(m_store.discardChanges(m_monitor)); // no session at all
    EXPECT_EQ(state().session(m_monitor), nullptr);

    execute("DELETE FROM monitors WHERE id = '" + m_monitor.lowercaseString() + "'");
    const auto session = load(); // the first load fails: no draft, no baseline
    run(m_store.discardChanges(m_monitor));
    EXPECT_EQ(session->draft(), nullptr);
    EXPECT_EQ(session->error(), MonitorStoreError::missingMonitor());
}

} // namespace
} // namespace tavlen::test
