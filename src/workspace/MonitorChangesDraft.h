#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "MonitorDetailTab.h"
#include "MonitorSchedule.h"
#include "MonitorStoreError.h"
#include "ScheduleDraft.h"
#endif

#include <QObject>

#include <cstdint>
#include <optional>
#include <string>

namespace tavlen {

struct Monitor;

// The unsaved name and schedule edits of one monitor, what they are based on (the stored name and version, the
// stored schedule's form and version), the error of the last save with the tab that shows it, and the values of a
// submitted save until the stored monitor confirms or refutes them. Each setter stores the value and notifies only
// when it differs by the field's own rule. Main thread only; shared by reference between workspace and views.
class MonitorChangesDraft : public QObject
{
    Q_OBJECT

public:
    // A clean draft of the stored monitor.
    explicit MonitorChangesDraft(const Monitor& monitor);

    std::int64_t expectedVersion() const { return m_expectedVersion; }

    const std::string& baseline() const { return m_baseline; }

    const std::string& name() const { return m_name; }

    std::int64_t expectedScheduleVersion() const { return m_expectedScheduleVersion; }

    const ScheduleDraft& baselineSchedule() const { return m_baselineSchedule; }

    const ScheduleDraft& schedule() const { return m_schedule; }

    const std::optional<MonitorStoreError>& saveError() const { return m_saveError; }

    // The tab that shows saveError; meaningful only while it is set.
    MonitorDetailTab errorTab() const { return m_errorTab; }

    bool showsScheduleValidation() const { return m_showsScheduleValidation; }

    const std::optional<std::string>& attemptedName() const { return m_attemptedName; }

    const std::optional<std::string>& attemptedInput() const { return m_attemptedInput; }

    const std::optional<MonitorSchedulePreferences>& attemptedSchedule() const { return m_attemptedSchedule; }

    const std::optional<ScheduleDraft>& attemptedScheduleInput() const { return m_attemptedScheduleInput; }

    // The name differs from its baseline in its UTF-8 bytes (another Unicode normalisation counts), or the
    // schedule form from its baseline.
    bool hasUnsavedChanges() const;

    void setExpectedVersion(std::int64_t version);
    void setBaseline(std::string baseline);
    void setName(std::string name);
    void setExpectedScheduleVersion(std::int64_t version);
    void setBaselineSchedule(ScheduleDraft schedule);
    void setSchedule(ScheduleDraft schedule);
    void setSaveError(std::optional<MonitorStoreError> error);
    void setErrorTab(MonitorDetailTab tab);
    void setShowsScheduleValidation(bool shows);
    void setAttemptedName(std::optional<std::string> name);
    void setAttemptedInput(std::optional<std::string> input);
    void setAttemptedSchedule(std::optional<MonitorSchedulePreferences> preferences);
    void setAttemptedScheduleInput(std::optional<ScheduleDraft> schedule);

    // Takes the stored monitor's name and version after a save; the name text follows the stored (trimmed) name
    // only while it still holds the submitted text.
    void acceptSavedName(const Monitor& stored, const std::optional<std::string>& submittedName);
    // Takes the stored schedule after a save; the submitted form is kept as the baseline when it is what was
    // stored, and the edited form follows only when it was not changed since submission.
    void acceptSavedSchedule(const Monitor& stored, const std::optional<ScheduleDraft>& submittedSchedule);
    // Brings the draft up to date with the stored monitor without overwriting edits. A reload (isReload) also
    // accepts a pending submission found in storage, reports an edited part whose stored version moved on as
    // staleEdit, clears the error otherwise, and drops every pending submission.
    void update(const Monitor& stored, bool isReload);

Q_SIGNALS:
    void expectedVersionChanged();
    void baselineChanged();
    void nameChanged();
    void expectedScheduleVersionChanged();
    void baselineScheduleChanged();
    void scheduleChanged();
    void saveErrorChanged();
    void errorTabChanged();
    void showsScheduleValidationChanged();
    void attemptedNameChanged();
    void attemptedInputChanged();
    void attemptedScheduleChanged();
    void attemptedScheduleInputChanged();
    // hasUnsavedChanges turned; also when only the bytes of the name changed, which nameChanged does not report.
    void hasUnsavedChangesChanged();

private:
    // Reports a turn of hasUnsavedChanges once for a group of writes, so a baseline and a name that move together
    // never show a passing state to observers.
    class UnsavedChangesReport
    {
    public:
        explicit UnsavedChangesReport(MonitorChangesDraft& draft);
        ~UnsavedChangesReport();
        UnsavedChangesReport(const UnsavedChangesReport&) = delete;
        UnsavedChangesReport& operator=(const UnsavedChangesReport&) = delete;

    private:
        MonitorChangesDraft& m_draft;
        bool m_before;
    };

    void reportUnsavedChanges(bool before);
    void clearAttempts();

    std::int64_t m_expectedVersion;
    std::string m_baseline;
    std::string m_name;
    std::int64_t m_expectedScheduleVersion;
    ScheduleDraft m_baselineSchedule;
    ScheduleDraft m_schedule;
    std::optional<MonitorStoreError> m_saveError;
    MonitorDetailTab m_errorTab = MonitorDetailTab::details;
    bool m_showsScheduleValidation = false;
    std::optional<std::string> m_attemptedName;
    std::optional<std::string> m_attemptedInput;
    std::optional<MonitorSchedulePreferences> m_attemptedSchedule;
    std::optional<ScheduleDraft> m_attemptedScheduleInput;
    int m_openReports = 0;
};

} // namespace tavlen
