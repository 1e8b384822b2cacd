#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "MonitorStoreError.h"
#include "StepsDraft.h"
#include "StepsWorkflow.h"
#include "Uuid.h"
#endif

#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavlen {

// The Steps editing state of one monitor: the draft, the saved workflow it is compared with, the stored
// version, the load and save flags, the last storage error and the validation flags. The steps store writes it
// through the setters; each setter notifies only on a change, except draft, which notifies on every assignment.
// Main thread only; shared by reference.
class StepsSession : public QObject
{
    Q_OBJECT

public:
    // Loading, with no draft, baseline or version yet, and a fresh submission token.
    StepsSession();

    const std::shared_ptr<StepsDraft>& draft() const { return m_draft; }

    // The workflow as last loaded or saved.
    const std::optional<StepsWorkflow>& baseline() const { return m_baseline; }

    // The draft's raw numeric input texts at the same moment, so "60" edited to "060" is still a change.
    const std::vector<std::string>& baselineNumericInputs() const { return m_baselineNumericInputs; }

    // The stored Steps version the edits are based on; none while nothing is stored.
    const std::optional<std::int64_t>& version() const { return m_version; }

    bool isLoading() const { return m_isLoading; }

    bool isSaving() const { return m_isSaving; }

    const std::optional<MonitorStoreError>& error() const { return m_error; }

    // A failed save left it in doubt what is stored: reload before saving or editing again.
    bool needsReconciliation() const { return m_needsReconciliation; }

    const std::optional<StepsWorkflow>& attemptedSave() const { return m_attemptedSave; }

    bool showsValidation() const { return m_showsValidation; }

    // Replaced whenever validation is to be shown anew.
    const Uuid& submission() const { return m_submission; }

    void setDraft(std::shared_ptr<StepsDraft> draft);
    void setBaseline(std::optional<StepsWorkflow> baseline);
    void setBaselineNumericInputs(std::vector<std::string> texts);
    void setVersion(std::optional<std::int64_t> version);
    void setIsLoading(bool isLoading);
    void setIsSaving(bool isSaving);
    void setError(std::optional<MonitorStoreError> error);
    void setNeedsReconciliation(bool needsReconciliation);
    void setAttemptedSave(std::optional<StepsWorkflow> workflow);
    void setShowsValidation(bool showsValidation);
    void setSubmission(const Uuid& submission);

    // True when the draft's workflow or its numeric input texts differ from the baseline; false without either.
    bool hasUnsavedChanges() const;
    // True when a draft exists, nothing is loading, saving or in doubt, the error (if any) is validation or
    // busy, and there are unsaved changes or nothing is stored yet.
    bool canSave() const;
    // Takes a freshly loaded, reloaded or discarded draft as the new saved state and clears the error, the
    // reconciliation flag, the attempted save and the validation display. Loading, saving and submission stay.
    void resetToSaved(std::shared_ptr<StepsDraft> draft, std::optional<std::int64_t> version);

Q_SIGNALS:
    void draftChanged();
    void baselineChanged();
    void baselineNumericInputsChanged();
    void versionChanged();
    void isLoadingChanged();
    void isSavingChanged();
    void errorChanged();
    void needsReconciliationChanged();
    void attemptedSaveChanged();
    void showsValidationChanged();
    void submissionChanged();

private:
    std::shared_ptr<StepsDraft> m_draft;
    std::optional<StepsWorkflow> m_baseline;
    std::vector<std::string> m_baselineNumericInputs;
    std::optional<std::int64_t> m_version;
    bool m_isLoading = true;
    bool m_isSaving = false;
    std::optional<MonitorStoreError> m_error;
    bool m_needsReconciliation = false;
    std::optional<StepsWorkflow> m_attemptedSave;
    bool m_showsValidation = false;
    Uuid m_submission;
};

} // namespace tavlen
