#include "MonitorChangesDraft.h"

#include "MainThread.h"
#include "Monitor.h"
#include "StepsChangeRule.h"
#include "Utf8.h"

#include <utility>

namespace tavlen {

namespace {

bool optionalTextEqual(const std::optional<std::string>& a, const std::optional<std::string>& b)
{
    return a.has_value() == b.has_value() && (!a || textEqual(*a, *b));
}

bool sameText(const std::string& a, const std::string& b)
{
    return textEqual(a, b);
}

} // namespace

MonitorChangesDraft::MonitorChangesDraft(const Monitor& monitor)
    : m_expectedVersion(monitor.version)
    , m_baseline(monitor.name)
    , m_name(monitor.name)
    , m_expectedScheduleVersion(monitor.schedule.version)
    , m_baselineSchedule(ScheduleDraft::fromMonitor(monitor))
    , m_schedule(m_baselineSchedule)
{
    TAVLEN_ASSERT_MAIN_THREAD();
}

bool MonitorChangesDraft::hasUnsavedChanges() const
{
    return !utf8Equal(m_name, m_baseline) || !m_schedule.isEqual(m_baselineSchedule);
}

MonitorChangesDraft::UnsavedChangesReport::UnsavedChangesReport(MonitorChangesDraft& draft)
    : m_draft(draft)
    , m_before(draft.hasUnsavedChanges())
{
    ++m_draft.m_openReports;
}

MonitorChangesDraft::UnsavedChangesReport::~UnsavedChangesReport()
{
    --m_draft.m_openReports;
    m_draft.reportUnsavedChanges(m_before);
}

void MonitorChangesDraft::reportUnsavedChanges(bool before)
{
    if (m_openReports == 0 && hasUnsavedChanges() != before) {
        Q_EMIT hasUnsavedChangesChanged();
    }
}

void MonitorChangesDraft::setExpectedVersion(std::int64_t version)
{
    if (storeObserved(m_expectedVersion, version)) {
        Q_EMIT expectedVersionChanged();
    }
}

void MonitorChangesDraft::setBaseline(std::string baseline)
{
    const bool before = hasUnsavedChanges();
    if (storeObserved(m_baseline, std::move(baseline), sameText)) {
        Q_EMIT baselineChanged();
    }
    reportUnsavedChanges(before);
}

void MonitorChangesDraft::setName(std::string name)
{
    const bool before = hasUnsavedChanges();
    if (storeObserved(m_name, std::move(name), sameText)) {
        Q_EMIT nameChanged();
    }
    reportUnsavedChanges(before);
}

void MonitorChangesDraft::setExpectedScheduleVersion(std::int64_t version)
{
    if (storeObserved(m_expectedScheduleVersion, version)) {
        Q_EMIT expectedScheduleVersionChanged();
    }
}

void MonitorChangesDraft::setBaselineSchedule(ScheduleDraft schedule)
{
    const bool before = hasUnsavedChanges();
    if (storeObserved(m_baselineSchedule, std::move(schedule))) {
        Q_EMIT baselineScheduleChanged();
    }
    reportUnsavedChanges(before);
}

void MonitorChangesDraft::setSchedule(ScheduleDraft schedule)
{
    const bool before = hasUnsavedChanges();
    if (storeObserved(m_schedule, std::move(schedule))) {
        Q_EMIT scheduleChanged();
    }
    reportUnsavedChanges(before);
}

void MonitorChangesDraft::setSaveError(std::optional<MonitorStoreError> error)
{
    if (storeObserved(m_saveError, std::move(error))) {
        Q_EMIT saveErrorChanged();
    }
}

void MonitorChangesDraft::setErrorTab(MonitorDetailTab tab)
{
    if (storeObserved(m_errorTab, tab)) {
        Q_EMIT errorTabChanged();
    }
}

void MonitorChangesDraft::setShowsScheduleValidation(bool shows)
{
    if (storeObserved(m_showsScheduleValidation, shows)) {
        Q_EMIT showsScheduleValidationChanged();
    }
}

void MonitorChangesDraft::setAttemptedName(std::optional<std::string> name)
{
    if (storeObserved(m_attemptedName, std::move(name), optionalTextEqual)) {
        Q_EMIT attemptedNameChanged();
    }
}

void MonitorChangesDraft::setAttemptedInput(std::optional<std::string> input)
{
    if (storeObserved(m_attemptedInput, std::move(input), optionalTextEqual)) {
        Q_EMIT attemptedInputChanged();
    }
}

void MonitorChangesDraft::setAttemptedSchedule(std::optional<MonitorSchedulePreferences> preferences)
{
    if (storeObserved(m_attemptedSchedule, std::move(preferences))) {
        Q_EMIT attemptedScheduleChanged();
    }
}

void MonitorChangesDraft::setAttemptedScheduleInput(std::optional<ScheduleDraft> schedule)
{
    if (storeObserved(m_attemptedScheduleInput, std::move(schedule))) {
        Q_EMIT attemptedScheduleInputChanged();
    }
}

void MonitorChangesDraft::acceptSavedName(const Monitor& stored, const std::optional<std::string>& submittedName)
{
    const UnsavedChangesReport report(*this);
    if (submittedName && utf8Equal(m_name, *submittedName)) {
        setName(stored.name);
    }
    setBaseline(stored.name);
    setExpectedVersion(stored.version);
    setAttemptedName(std::nullopt);
    setAttemptedInput(std::nullopt);
}

void MonitorChangesDraft::acceptSavedSchedule(const Monitor& stored,
                                              const std::optional<ScheduleDraft>& submittedSchedule)
{
    const UnsavedChangesReport report(*this);
    const MonitorSchedulePreferences& storedPreferences = stored.schedule.preferences;
    const bool submittedWasStored = submittedSchedule && submittedSchedule->preferences() == storedPreferences;
    ScheduleDraft accepted = submittedWasStored ? *submittedSchedule : ScheduleDraft::fromMonitor(stored);
    const bool unchangedSinceSubmission =
        submittedSchedule ? m_schedule.isEqual(*submittedSchedule) : m_schedule.isEqual(m_baselineSchedule);
    if (unchangedSinceSubmission) {
        setSchedule(accepted);
    }
    setBaselineSchedule(std::move(accepted));
    setExpectedScheduleVersion(stored.schedule.version);
    setAttemptedSchedule(std::nullopt);
    setAttemptedScheduleInput(std::nullopt);
}

void MonitorChangesDraft::update(const Monitor& stored, bool isReload)
{
    const UnsavedChangesReport report(*this);
    bool nameConflict = false;
    if (isReload && m_attemptedName && utf8Equal(*m_attemptedName, stored.name)) {
        // The submitted save did store the name.
        const std::optional<std::string> submitted = m_attemptedInput;
        acceptSavedName(stored, submitted);
    } else if (utf8Equal(m_name, m_baseline) && !m_attemptedName) {
        setName(stored.name);
        setBaseline(stored.name);
        setExpectedVersion(stored.version);
        setAttemptedName(std::nullopt);
        setAttemptedInput(std::nullopt);
    } else if (isReload) {
        nameConflict = stored.version != m_expectedVersion;
    }

    const MonitorSchedulePreferences& storedPreferences = stored.schedule.preferences;
    if (isReload && m_attemptedSchedule && *m_attemptedSchedule == storedPreferences) {
        // The submitted save did store the schedule.
        const std::optional<ScheduleDraft> submitted = m_attemptedScheduleInput;
        acceptSavedSchedule(stored, submitted);
    } else if (m_schedule.isEqual(m_baselineSchedule) && !m_attemptedSchedule) {
        // Unedited: keep the user's way of writing it while storage still holds the same schedule.
        const bool storedUnchanged = stored.schedule.version == m_expectedScheduleVersion &&
                                     m_baselineSchedule.preferences() == storedPreferences;
        if (!storedUnchanged) {
            acceptSavedSchedule(stored, std::nullopt);
        }
        if (!isReload) {
            return;
        }
    } else {
        if (!isReload) {
            return;
        }
        if (stored.schedule.version != m_expectedScheduleVersion) {
            setSaveError(MonitorStoreError::staleEdit());
            setErrorTab(MonitorDetailTab::schedule);
            clearAttempts();
            return;
        }
    }

    if (!isReload) {
        return;
    }
    setSaveError(nameConflict ? std::optional(MonitorStoreError::staleEdit()) : std::nullopt);
    if (nameConflict) {
        setErrorTab(MonitorDetailTab::details);
    }
    clearAttempts();
}

void MonitorChangesDraft::clearAttempts()
{
    setAttemptedName(std::nullopt);
    setAttemptedInput(std::nullopt);
    setAttemptedSchedule(std::nullopt);
    setAttemptedScheduleInput(std::nullopt);
}

} // namespace tavlen
