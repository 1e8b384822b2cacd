#include "StepsSession.h"

#include "ListEquality.h"
#include "MainThread.h"
#include "StepsChangeRule.h"

namespace tavlen {

StepsSession::StepsSession()
    : m_submission(Uuid::random())
{
    TAVLEN_ASSERT_MAIN_THREAD();
}

void StepsSession::setDraft(std::shared_ptr<StepsDraft> draft)
{
    m_draft = std::move(draft);
    Q_EMIT draftChanged();
}

void StepsSession::setBaseline(std::optional<StepsWorkflow> baseline)
{
    if (storeObserved(m_baseline, std::move(baseline))) {
        Q_EMIT baselineChanged();
    }
}

void StepsSession::setBaselineNumericInputs(std::vector<std::string> texts)
{
    if (storeObserved(m_baselineNumericInputs, std::move(texts), stringArraysEqual)) {
        Q_EMIT baselineNumericInputsChanged();
    }
}

void StepsSession::setVersion(std::optional<std::int64_t> version)
{
    if (storeObserved(m_version, version)) {
        Q_EMIT versionChanged();
    }
}

void StepsSession::setIsLoading(bool isLoading)
{
    if (storeObserved(m_isLoading, isLoading)) {
        Q_EMIT isLoadingChanged();
    }
}

void StepsSession::setIsSaving(bool isSaving)
{
    if (storeObserved(m_isSaving, isSaving)) {
        Q_EMIT isSavingChanged();
    }
}

void StepsSession::setError(std::optional<MonitorStoreError> error)
{
    if (storeObserved(m_error, std::move(error))) {
        Q_EMIT errorChanged();
    }
}

void StepsSession::setNeedsReconciliation(bool needsReconciliation)
{
    if (storeObserved(m_needsReconciliation, needsReconciliation)) {
        Q_EMIT needsReconciliationChanged();
    }
}

void StepsSession::setAttemptedSave(std::optional<StepsWorkflow> workflow)
{
    if (storeObserved(m_attemptedSave, std::move(workflow))) {
        Q_EMIT attemptedSaveChanged();
    }
}

void StepsSession::setShowsValidation(bool showsValidation)
{
    if (storeObserved(m_showsValidation, showsValidation)) {
        Q_EMIT showsValidationChanged();
    }
}

void StepsSession::setSubmission(const Uuid& submission)
{
    if (storeObserved(m_submission, submission)) {
        Q_EMIT submissionChanged();
    }
}

bool StepsSession::hasUnsavedChanges() const
{
    if (!m_draft || !m_baseline) {
        return false;
    }
    if (!stepsEntriesEqual(m_draft->documentEntries(), m_baseline->document.steps)) {
        return true;
    }
    // Compared as their setters compare them, so an edit that notified nobody is no unsaved change either.
    return !stringArraysEqual(m_draft->numericInputs(), m_baselineNumericInputs);
}

bool StepsSession::canSave() const
{
    if (!m_draft || m_isLoading || m_isSaving || m_needsReconciliation) {
        return false;
    }
    if (m_error && m_error->kind() != MonitorStoreError::Kind::validation &&
        m_error->kind() != MonitorStoreError::Kind::busy) {
        return false;
    }
    return hasUnsavedChanges() || !m_version;
}

void StepsSession::resetToSaved(std::shared_ptr<StepsDraft> draft, std::optional<std::int64_t> version)
{
    setDraft(std::move(draft));
    setVersion(version);
    if (m_draft) {
        setBaseline(StepsWorkflow{StepsDocument{m_draft->documentEntries()}});
        setBaselineNumericInputs(m_draft->numericInputs());
    } else {
        setBaseline(std::nullopt);
        setBaselineNumericInputs({});
    }
    setError(std::nullopt);
    setNeedsReconciliation(false);
    setAttemptedSave(std::nullopt);
    setShowsValidation(false);
}

} // namespace tavlen
