#include "StepsEditorState.h"

#include <gtest/gtest.h>

namespace tavlen::ui::test {
namespace {

using Content = StepsEditorPresentation::Content;
using Kind = MonitorStoreError::Kind;

StepsEditorInputs loaded()
{
    StepsEditorInputs inputs;
    inputs.hasSession = true;
    inputs.hasDraft = true;
    return inputs;
}

TEST(StepsEditorStateTest, contentFollowsTheSessionAndItsDraft)
{
    struct Row
    {
        const char* name;
        StepsEditorInputs inputs;
        Content content;
        bool retryEnabled;
    };

    StepsEditorInputs failed;
    failed.hasSession = true;
    failed.error = MonitorStoreError::missingMonitor();
    StepsEditorInputs retrying = failed;
    retrying.isLoading = true;
    StepsEditorInputs loadingSession;
    loadingSession.hasSession = true;
    loadingSession.isLoading = true;
    StepsEditorInputs draftWithError = loaded();
    draftWithError.error = MonitorStoreError::storage();
    const Row rows[] = {
        {"no session yet", {}, Content::loading, false},
        {"a session still loading", loadingSession, Content::loading, false},
        {"a failed first load", failed, Content::unavailable, true},
        {"a retried load keeps the placeholder", retrying, Content::unavailable, false},
        {"a draft", loaded(), Content::diagram, false},
        {"a draft with a later storage error", draftWithError, Content::diagram, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const StepsEditorPresentation presentation = stepsEditorPresentation(row.inputs);
        EXPECT_EQ(presentation.content, row.content);
        EXPECT_EQ(presentation.isRetryEnabled, row.retryEnabled);
    }
}

TEST(StepsEditorStateTest, storageBannerOffersTheOneFittingActionAndDisablesTheDiagramForDoubt)
{
    struct Row
    {
        const char* name;
        std::optional<MonitorStoreError> error;
        bool needsReconciliation;
        std::optional<StepsStorageAction> action;
        bool diagramEnabled;
    };

    const Row rows[] = {
        {"no error", std::nullopt, false, std::nullopt, true},
        {"validation", MonitorStoreError::validation("Enter a URL."), false, StepsStorageAction::retrySave, true},
        {"busy", MonitorStoreError::busy(), false, StepsStorageAction::retrySave, true},
        {"stale edit", MonitorStoreError::staleEdit(), false, StepsStorageAction::reloadSaved, false},
        {"missing monitor", MonitorStoreError::missingMonitor(), false, StepsStorageAction::reloadSaved, false},
        {"unsupported format",
         MonitorStoreError::unsupportedStepsFormat(9),
         false,
         StepsStorageAction::reloadSaved,
         false},
        {"unsupported schema", MonitorStoreError::unsupportedSchema(), false, StepsStorageAction::reloadSaved, false},
        {"invalid stored data", MonitorStoreError::invalidStoredData(), false, StepsStorageAction::reloadSaved, false},
        {"storage", MonitorStoreError::storage(), false, StepsStorageAction::reloadSaved, false},
        {"interrupted", MonitorStoreError::interrupted(), false, StepsStorageAction::reloadSaved, false},
        {"reconciling wins over the error's own action",
         MonitorStoreError::validation("Enter a URL."),
         true,
         StepsStorageAction::retryStorage,
         false},
        {"reconciling after storage", MonitorStoreError::storage(), true, StepsStorageAction::retryStorage, false},
        {"reconciling without an error still offers the retry",
         std::nullopt,
         true,
         StepsStorageAction::retryStorage,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StepsEditorInputs inputs = loaded();
        inputs.error = row.error;
        inputs.needsReconciliation = row.needsReconciliation;
        const StepsEditorPresentation presentation = stepsEditorPresentation(inputs);
        EXPECT_EQ(presentation.storageAction, row.action);
        EXPECT_EQ(presentation.isDiagramEnabled, row.diagramEnabled);
        EXPECT_TRUE(presentation.isStorageBannerEnabled);
    }
}

TEST(StepsEditorStateTest, busyFlagsDisableTheDiagramAndTheBanners)
{
    struct Row
    {
        const char* name;
        void (*apply)(StepsEditorInputs&);
    };

    const Row rows[] = {
        {"saving", [](StepsEditorInputs& inputs) { inputs.isSaving = true; }},
        {"loading", [](StepsEditorInputs& inputs) { inputs.isLoading = true; }},
        {"navigating", [](StepsEditorInputs& inputs) { inputs.isNavigating = true; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StepsEditorInputs inputs = loaded();
        inputs.error = MonitorStoreError::busy();
        inputs.hasResultError = true;
        row.apply(inputs);
        const StepsEditorPresentation presentation = stepsEditorPresentation(inputs);
        EXPECT_FALSE(presentation.isDiagramEnabled);
        EXPECT_FALSE(presentation.isStorageBannerEnabled);
        EXPECT_TRUE(presentation.showsResultBanner);
    }

    StepsEditorInputs resultOnly = loaded();
    resultOnly.hasResultError = true;
    const StepsEditorPresentation presentation = stepsEditorPresentation(resultOnly);
    EXPECT_TRUE(presentation.showsResultBanner);
    EXPECT_EQ(presentation.storageAction, std::nullopt);
    EXPECT_TRUE(presentation.isDiagramEnabled);
}

} // namespace
} // namespace tavlen::ui::test
