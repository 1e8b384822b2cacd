#pragma once

#include "CallGate.h"
#include "WorkspaceStepsStore.h"

#include <map>
#include <memory>
#include <set>
#include <vector>

namespace tavlen::test {

// A steps store that records what the workspace asks of it. Sessions are what the test puts in; a reload clears
// its session's need of reconciliation after passing its gate.
class ScriptedStepsStore final : public WorkspaceStepsStore
{
public:
    std::shared_ptr<StepsSession> session(const Uuid& monitorID) const override
    {
        const auto found = sessions.find(monitorID);
        return found == sessions.end() ? nullptr : found->second;
    }

    std::vector<Uuid> sessionMonitorIDs() const override
    {
        std::vector<Uuid> ids;
        for (const auto& entry : sessions) {
            ids.push_back(entry.first);
        }
        return ids;
    }

    bool isNavigating() const override { return navigating; }

    void setIsNavigating(bool isNavigating) override { navigating = isNavigating; }

    bool isRunningSteps(const Uuid&) const override { return false; }

    void setMonitorCheckUnavailableReason(UnavailableReason reason) override { unavailableReason = std::move(reason); }

    void retainMonitors(const std::set<Uuid>& monitorIDs) override { retained.push_back(monitorIDs); }

    QCoro::Task<void> loadSteps(Uuid, bool) override { co_return; }

    QCoro::Task<void> reloadSteps(Uuid monitorID) override
    {
        reloads.push_back(monitorID);
        auto waiting = reloadGate.pass();
        co_await std::move(waiting);
        if (const std::shared_ptr<StepsSession> reloaded = session(monitorID)) {
            reloaded->setNeedsReconciliation(false);
        }
        ++finishedReloads;
    }

    QCoro::Task<bool> saveSteps(Uuid, StepsWrite) override { co_return false; }

    QCoro::Task<void> discardChanges(Uuid) override { co_return; }

    QCoro::Task<void> waitForMonitorTasks(Uuid) override { co_return; }

    QCoro::Task<void> waitUntilIdle(bool) override { co_return; }

    QCoro::Task<void> beginDeletingMonitor(Uuid) override { co_return; }

    void endDeletingMonitor(const Uuid&) override {}

    std::map<Uuid, std::shared_ptr<StepsSession>> sessions;
    UnavailableReason unavailableReason;
    bool navigating = false;
    std::vector<std::set<Uuid>> retained;
    std::vector<Uuid> reloads;
    int finishedReloads = 0;
    CallGate reloadGate;
};

} // namespace tavlen::test
