#include "MonitorChangesSaving.h"

#include "MainThread.h"
#include "MonitorChangeGates.h"
#include "MonitorChangesDraft.h"
#include "MonitorRepository.h"
#include "MonitorWorkspace.h"
#include "StepsSession.h"
#include "Utf8.h"
#include "WorkspaceLog.h"
#include "WorkspaceStepsStore.h"
#include "WorkspaceText.h"

#include <QPointer>

#include <algorithm>
#include <exception>
#include <memory>
#include <utility>

namespace tavlen {

namespace {

// What a save hands to its write: the parts to store, and what the draft held when it was submitted.
struct SaveRequest
{
    Uuid monitorID;
    bool savesSteps = false;
    MonitorChanges changes; // without the Steps, which the steps store adds
    bool changesName = false;
    std::shared_ptr<MonitorChangesDraft> draft;
    std::string submittedName;
    ScheduleDraft submittedSchedule;
};

using KeptChanges = std::shared_ptr<std::optional<SavedMonitorChanges>>;

// The stored write with the Steps: keeps what was stored for the workspace and gives the Steps to the store.
QCoro::Task<SavedSteps> writeWithSteps(std::shared_ptr<MonitorRepository> repository,
                                       Uuid monitorID,
                                       MonitorChanges changes,
                                       KeptChanges kept,
                                       std::optional<std::int64_t> expectedVersion,
                                       StepsWorkflow workflow)
{
    changes.steps = MonitorStepsSave{expectedVersion, std::move(workflow)};
    auto saving = repository->saveChanges(monitorID, std::move(changes));
    SavedMonitorChanges saved = co_await std::move(saving);
    *kept = saved;
    if (!saved.steps) {
        throw MonitorStoreError::invalidStoredData();
    }
    co_return *saved.steps;
}

MonitorDetailTab errorTabOf(const SaveRequest& request)
{
    if (request.changes.schedule) {
        return MonitorDetailTab::schedule;
    }
    return request.changesName ? MonitorDetailTab::details : MonitorDetailTab::steps;
}

QCoro::Task<bool> runWrite(QPointer<MonitorWorkspace> self, SaveRequest request)
{
    const std::shared_ptr<MonitorRepository> repository = self->sharedRepository();
    const std::shared_ptr<WorkspaceStepsStore> store = self->stepsStore();
    KeptChanges kept = std::make_shared<std::optional<SavedMonitorChanges>>();
    bool stepsSaved = true;
    std::optional<MonitorStoreError> failure;
    if (request.savesSteps) {
        WorkspaceStepsStore::StepsWrite write =
            [repository, monitorID = request.monitorID, changes = request.changes, kept](
                std::optional<std::int64_t> expectedVersion, StepsWorkflow workflow) {
                return writeWithSteps(repository, monitorID, changes, kept, expectedVersion, std::move(workflow));
            };
        auto saving = store->saveSteps(request.monitorID, std::move(write));
        stepsSaved = co_await std::move(saving);
        if (!self) {
            co_return false;
        }
        if (!stepsSaved || !*kept) {
            const std::shared_ptr<StepsSession> session = store->session(request.monitorID);
            failure = session && session->error() ? *session->error() : MonitorStoreError::busy();
        }
    } else {
        try {
            auto saving = repository->saveChanges(request.monitorID, request.changes);
            *kept = co_await std::move(saving);
        } catch (...) {
            failure = MonitorStoreError::from(std::current_exception());
        }
        if (!self) {
            co_return false;
        }
    }

    MonitorChangesSaving saving(*self);
    const bool sameDraft = self->changeDraft(request.monitorID) == request.draft;
    bool saved = false;
    if (*kept) {
        // The write reached storage: the stored monitor is the truth, whatever became of the draft or the Steps.
        const Monitor& stored = (*kept)->monitor;
        if (sameDraft) {
            request.draft->acceptSavedName(stored, request.submittedName);
            request.draft->acceptSavedSchedule(stored, request.submittedSchedule);
            request.draft->setSaveError(std::nullopt);
            request.draft->setShowsScheduleValidation(false);
        }
        self->applyMonitor(stored);
        saved = sameDraft && stepsSaved;
        if (sameDraft && !stepsSaved) {
            saving.focusMonitor(request.monitorID, MonitorDetailTab::steps);
        }
    } else if (sameDraft) {
        qCWarning(workspaceLog) << "Saving the monitor's changes failed:" << failure->what();
        const MonitorDetailTab tab = errorTabOf(request);
        request.draft->setSaveError(failure);
        request.draft->setErrorTab(tab);
        saving.focusMonitor(request.monitorID, tab);
    }
    saving.finishChange();
    co_return saved;
}

QCoro::Task<bool> awaitSave(std::optional<TaskHandle<bool>> write)
{
    if (!write) {
        co_return false;
    }
    auto result = write->result();
    co_return co_await std::move(result);
}

} // namespace

QCoro::Task<bool> MonitorChangesSaving::saveChanges(const Uuid& monitorID)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    MonitorWorkspace& workspace = m_workspace;
    const std::shared_ptr<MonitorChangesDraft> draft = workspace.changeDraft(monitorID);
    if (!MonitorChangeGates(workspace).canSaveChanges(monitorID) || !draft) {
        focusMonitor(monitorID, std::nullopt);
        return awaitSave(std::nullopt);
    }

    SaveRequest request{monitorID, false, {}, false, draft, draft->name(), draft->schedule()};
    request.changes.expectedVersion = draft->expectedVersion();
    if (!utf8Equal(draft->name(), draft->baseline())) {
        try {
            request.changes.name = normalizedMonitorName(draft->name());
        } catch (const MonitorStoreError& error) {
            draft->setSaveError(error);
            draft->setErrorTab(MonitorDetailTab::details);
            focusMonitor(monitorID, MonitorDetailTab::details);
            return awaitSave(std::nullopt);
        }
        request.changesName = true;
    }
    if (!draft->schedule().isEqual(draft->baselineSchedule())) {
        const std::optional<MonitorSchedulePreferences> preferences = draft->schedule().preferences();
        if (!preferences) {
            draft->setShowsScheduleValidation(true);
            const std::optional<ScheduleDraft::Field> field = draft->schedule().firstInvalidField();
            const std::optional<std::string> message =
                field ? draft->schedule().validationMessage(*field) : std::nullopt;
            draft->setSaveError(MonitorStoreError::validation(message.value_or(workspace_text::enterValidSchedule)));
            draft->setErrorTab(MonitorDetailTab::schedule);
            focusMonitor(monitorID, MonitorDetailTab::schedule);
            return awaitSave(std::nullopt);
        }
        request.changes.schedule = MonitorScheduleChange{draft->expectedScheduleVersion(), *preferences};
    }
    draft->setSaveError(std::nullopt);

    const std::shared_ptr<WorkspaceStepsStore>& store = workspace.stepsStore();
    if (const std::shared_ptr<StepsSession> session = store ? store->session(monitorID) : nullptr;
        session && session->hasUnsavedChanges()) {
        if (!session->draft() || !session->draft()->validationIssues().empty()) {
            session->setShowsValidation(true);
            session->setSubmission(Uuid::random());
            focusMonitor(monitorID, MonitorDetailTab::steps);
            return awaitSave(std::nullopt);
        }
        request.savesSteps = true;
    }

    draft->setAttemptedName(request.changes.name);
    draft->setAttemptedInput(request.changesName ? std::optional(draft->name()) : std::nullopt);
    draft->setAttemptedSchedule(request.changes.schedule ? std::optional(request.changes.schedule->preferences)
                                                         : std::nullopt);
    draft->setAttemptedScheduleInput(request.changes.schedule ? std::optional(draft->schedule()) : std::nullopt);
    workspace.setIsBusy(true);
    workspace.setChangeActivity(WorkspaceChangeActivity::saving(monitorID));
    TaskHandle<bool> write([self = QPointer<MonitorWorkspace>(&workspace),
                            request = std::move(request)](std::stop_token) { return runWrite(self, request); });
    workspace.setChangeOperation(write);
    return awaitSave(std::move(write));
}

void MonitorChangesSaving::focusMonitor(const Uuid& monitorID, std::optional<MonitorDetailTab> tab)
{
    const std::vector<Monitor>& monitors = m_workspace.monitors();
    if (std::none_of(monitors.begin(), monitors.end(), [&monitorID](const Monitor& monitor) {
            return monitor.id == monitorID;
        })) {
        return;
    }
    if (!tab) {
        const std::shared_ptr<MonitorChangesDraft> draft = m_workspace.changeDraft(monitorID);
        tab = draft && draft->saveError() ? draft->errorTab() : MonitorDetailTab::steps;
    }
    m_workspace.setSelection(monitorID);
    m_workspace.setEditFocus(MonitorEditFocus{Uuid::random(), monitorID, *tab});
}

void MonitorChangesSaving::finishChange()
{
    m_workspace.setIsBusy(false);
    m_workspace.setChangeActivity(std::nullopt);
    m_workspace.setChangeOperation(std::nullopt);
}

} // namespace tavlen
