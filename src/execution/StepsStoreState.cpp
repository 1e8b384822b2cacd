#include "StepsStoreState.h"

#include "MainThread.h"
#include "Observable.h"
#include "StepsDraft.h"
#include "StepsSession.h"

namespace tavlen {

namespace {

// Keeps the entries of the given monitors; whether anything was dropped.
template <class Value> bool retainKeys(std::map<Uuid, Value>& map, const std::set<Uuid>& monitorIDs)
{
    return std::erase_if(map, [&](const auto& entry) { return !monitorIDs.contains(entry.first); }) > 0;
}

} // namespace

StepsStoreState::StepsStoreState(QObject* parent)
    : QObject(parent)
{}

std::shared_ptr<StepsSession> StepsStoreState::session(const Uuid& monitorID) const
{
    const auto found = m_sessions.find(monitorID);
    return found == m_sessions.end() ? nullptr : found->second;
}

bool StepsStoreState::isRetained(const Uuid& monitorID) const
{
    return !m_retainedMonitorIDs || m_retainedMonitorIDs->contains(monitorID);
}

void StepsStoreState::setSessions(Sessions sessions)
{
    Q_ASSERT(isMainThread());
    m_sessions = std::move(sessions);
    Q_EMIT sessionsChanged();
}

void StepsStoreState::setSession(const Uuid& monitorID, std::shared_ptr<StepsSession> session)
{
    Q_ASSERT(isMainThread());
    m_sessions.insert_or_assign(monitorID, std::move(session));
    Q_EMIT sessionsChanged();
}

void StepsStoreState::advanceSavedStepsRevision()
{
    Q_ASSERT(isMainThread());
    ++m_savedStepsRevision;
    Q_EMIT savedStepsRevisionChanged();
}

void StepsStoreState::setLatestExecution(const Uuid& monitorID,
                                         const Uuid& executionID,
                                         MonitorCheckOutcome outcome,
                                         std::int64_t completedAtMilliseconds)
{
    Q_ASSERT(isMainThread());
    m_latestIDs.insert_or_assign(monitorID, executionID);
    Q_EMIT latestExecutionIDsChanged();
    m_latestOutcomes.insert_or_assign(monitorID, outcome);
    Q_EMIT latestExecutionOutcomesChanged();
    m_latestCompletedAt.insert_or_assign(monitorID, completedAtMilliseconds);
    Q_EMIT latestExecutionCompletedAtMillisecondsChanged();
}

void StepsStoreState::eraseLatestExecution(const Uuid& monitorID)
{
    Q_ASSERT(isMainThread());
    if (m_latestIDs.erase(monitorID) > 0) {
        Q_EMIT latestExecutionIDsChanged();
    }
    if (m_latestOutcomes.erase(monitorID) > 0) {
        Q_EMIT latestExecutionOutcomesChanged();
    }
    if (m_latestCompletedAt.erase(monitorID) > 0) {
        Q_EMIT latestExecutionCompletedAtMillisecondsChanged();
    }
}

void StepsStoreState::retainLatestExecutions(const std::set<Uuid>& monitorIDs)
{
    Q_ASSERT(isMainThread());
    if (retainKeys(m_latestOutcomes, monitorIDs)) {
        Q_EMIT latestExecutionOutcomesChanged();
    }
    if (retainKeys(m_latestCompletedAt, monitorIDs)) {
        Q_EMIT latestExecutionCompletedAtMillisecondsChanged();
    }
    if (retainKeys(m_latestIDs, monitorIDs)) {
        Q_EMIT latestExecutionIDsChanged();
    }
}

void StepsStoreState::setCancellingMonitorID(std::optional<Uuid> monitorID)
{
    Q_ASSERT(isMainThread());
    if (assignIfChanged(m_cancellingMonitorID, monitorID)) {
        Q_EMIT cancellingMonitorIDChanged();
    }
}

void StepsStoreState::setDeletingMonitors(std::set<Uuid> monitorIDs)
{
    Q_ASSERT(isMainThread());
    if (assignIfChanged(m_deletingMonitors, monitorIDs)) {
        Q_EMIT deletingMonitorsChanged();
    }
}

void StepsStoreState::setActiveMonitorID(std::optional<Uuid> monitorID)
{
    Q_ASSERT(isMainThread());
    if (assignIfChanged(m_activeMonitorID, monitorID)) {
        Q_EMIT activeMonitorIDChanged();
    }
}

void StepsStoreState::setActiveOrigin(std::optional<StepsExecutionOrigin> origin)
{
    Q_ASSERT(isMainThread());
    if (assignIfChanged(m_activeOrigin, origin)) {
        Q_EMIT activeOriginChanged();
    }
}

void StepsStoreState::setModels(std::optional<ConfiguredModels> models)
{
    Q_ASSERT(isMainThread());
    m_models = std::move(models);
    Q_EMIT modelsChanged();
}

void StepsStoreState::setActiveDraft(std::shared_ptr<StepsDraft> draft)
{
    Q_ASSERT(isMainThread());
    m_activeDraft = std::move(draft);
    Q_EMIT activeDraftChanged();
}

void StepsStoreState::setRetainedMonitorIDs(std::optional<std::set<Uuid>> monitorIDs)
{
    Q_ASSERT(isMainThread());
    if (assignIfChanged(m_retainedMonitorIDs, monitorIDs)) {
        Q_EMIT retainedMonitorIDsChanged();
    }
}

void StepsStoreState::setOperationID(std::optional<Uuid> operationID)
{
    Q_ASSERT(isMainThread());
    if (assignIfChanged(m_operationID, operationID)) {
        Q_EMIT operationIDChanged();
    }
}

void StepsStoreState::setIsNavigating(bool isNavigating)
{
    Q_ASSERT(isMainThread());
    if (assignIfChanged(m_isNavigating, isNavigating)) {
        Q_EMIT isNavigatingChanged();
    }
}

void StepsStoreState::notifyExecutionSettled() const
{
    if (onExecutionSettled) {
        // A copy: the handler may replace itself.
        const std::function<void()> settled = onExecutionSettled;
        settled();
    }
}

} // namespace tavlen
