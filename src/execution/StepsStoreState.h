#pragma once

#include <QObject>

#ifndef Q_MOC_RUN
#include "ConfiguredModel.h"
#include "MonitorCheckOutcome.h"
#include "StepsExecutionOrigin.h"
#include "TaskHandle.h"
#include "Uuid.h"
#endif

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tavlen {

class StepsDraft;
class StepsSession;

// What the steps store knows, shared by its run gate, editing, executions and monitor retention: the observed
// properties (each setter of a whole value notifies only when it changes; sessions, models and the active draft
// notify on every assignment, and so do per-monitor updates of the latest executions) and the running tasks.
// Main thread only.
class StepsStoreState final : public QObject
{
    Q_OBJECT

public:
    using Sessions = std::map<Uuid, std::shared_ptr<StepsSession>>;
    // The configured models of the application's model settings, as they are now.
    using ConfiguredModels = std::function<std::vector<ConfiguredModel>()>;
    // The workspace's own reason against a manual check of the monitor, if any.
    using UnavailableReason = std::function<std::optional<std::string>(const Uuid&)>;

    explicit StepsStoreState(QObject* parent = nullptr);

    const Sessions& sessions() const { return m_sessions; }

    // The monitor's editing session, or null.
    std::shared_ptr<StepsSession> session(const Uuid& monitorID) const;

    std::int64_t savedStepsRevision() const { return m_savedStepsRevision; }

    // Of each monitor's latest execution in this process, of any mode: how it ended, when (milliseconds since
    // 1970) and its id (the stored check's id for a check).
    const std::map<Uuid, MonitorCheckOutcome>& latestExecutionOutcomes() const { return m_latestOutcomes; }

    const std::map<Uuid, std::int64_t>& latestExecutionCompletedAtMilliseconds() const { return m_latestCompletedAt; }

    const std::map<Uuid, Uuid>& latestExecutionIDs() const { return m_latestIDs; }

    // The monitor whose running execution the user asked to cancel.
    const std::optional<Uuid>& cancellingMonitorID() const { return m_cancellingMonitorID; }

    const std::set<Uuid>& deletingMonitors() const { return m_deletingMonitors; }

    const std::optional<Uuid>& activeMonitorID() const { return m_activeMonitorID; }

    const std::optional<StepsExecutionOrigin>& activeOrigin() const { return m_activeOrigin; }

    // Absent until the workspace installs the model settings.
    const std::optional<ConfiguredModels>& models() const { return m_models; }

    const std::shared_ptr<StepsDraft>& activeDraft() const { return m_activeDraft; }

    // The monitors that still exist according to the workspace; absent: every monitor counts.
    const std::optional<std::set<Uuid>>& retainedMonitorIDs() const { return m_retainedMonitorIDs; }

    bool isRetained(const Uuid& monitorID) const;

    // The running execution's id; present exactly while one runs.
    const std::optional<Uuid>& operationID() const { return m_operationID; }

    bool isNavigating() const { return m_isNavigating; }

    void setSessions(Sessions sessions);
    void setSession(const Uuid& monitorID, std::shared_ptr<StepsSession> session);
    void advanceSavedStepsRevision();
    // Records the monitor's latest execution.
    void setLatestExecution(const Uuid& monitorID,
                            const Uuid& executionID,
                            MonitorCheckOutcome outcome,
                            std::int64_t completedAtMilliseconds);
    void eraseLatestExecution(const Uuid& monitorID);
    // Keeps the latest executions of the given monitors only.
    void retainLatestExecutions(const std::set<Uuid>& monitorIDs);
    void setCancellingMonitorID(std::optional<Uuid> monitorID);
    void setDeletingMonitors(std::set<Uuid> monitorIDs);
    void setActiveMonitorID(std::optional<Uuid> monitorID);
    void setActiveOrigin(std::optional<StepsExecutionOrigin> origin);
    void setModels(std::optional<ConfiguredModels> models);
    void setActiveDraft(std::shared_ptr<StepsDraft> draft);
    void setRetainedMonitorIDs(std::optional<std::set<Uuid>> monitorIDs);
    void setOperationID(std::optional<Uuid> operationID);
    void setIsNavigating(bool isNavigating);
    // Calls onExecutionSettled when it is installed.
    void notifyExecutionSettled() const;

    // Not observed.

    // The running execution's task, kept to cancel and await it.
    std::optional<TaskHandle<void>> operation;
    // Each monitor's running load or reload, and its running save; a task removes its own entry last.
    std::map<Uuid, TaskHandle<void>> loads;
    std::map<Uuid, TaskHandle<bool>> saves;
    // Called after every settlement and every change of stored results; installed by the scheduler.
    std::function<void()> onExecutionSettled;
    UnavailableReason monitorCheckUnavailableReason;

Q_SIGNALS:
    void sessionsChanged();
    void savedStepsRevisionChanged();
    void latestExecutionOutcomesChanged();
    void latestExecutionCompletedAtMillisecondsChanged();
    void latestExecutionIDsChanged();
    void cancellingMonitorIDChanged();
    void deletingMonitorsChanged();
    void activeMonitorIDChanged();
    void activeOriginChanged();
    void modelsChanged();
    void activeDraftChanged();
    void retainedMonitorIDsChanged();
    void operationIDChanged();
    void isNavigatingChanged();

private:
    Sessions m_sessions;
    std::int64_t m_savedStepsRevision = 0;
    std::map<Uuid, MonitorCheckOutcome> m_latestOutcomes;
    std::map<Uuid, std::int64_t> m_latestCompletedAt;
    std::map<Uuid, Uuid> m_latestIDs;
    std::optional<Uuid> m_cancellingMonitorID;
    std::set<Uuid> m_deletingMonitors;
    std::optional<Uuid> m_activeMonitorID;
    std::optional<StepsExecutionOrigin> m_activeOrigin;
    std::optional<ConfiguredModels> m_models;
    std::shared_ptr<StepsDraft> m_activeDraft;
    std::optional<std::set<Uuid>> m_retainedMonitorIDs;
    std::optional<Uuid> m_operationID;
    bool m_isNavigating = false;
};

} // namespace tavlen
