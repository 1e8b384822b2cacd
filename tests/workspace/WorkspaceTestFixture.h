#pragma once

#include "BoundedWait.h"
#include "GatedMonitorRepository.h"
#include "MonitorChangesDraft.h"
#include "MonitorEditorSession.h"
#include "MonitorWorkspace.h"
#include "SQLiteMonitorRepository.h"
#include "SQLiteStepsRepository.h"
#include "ScriptedStepsStore.h"
#include "StoreErrorPrinter.h"
#include "WorkspaceFixture.h"

#include <chrono>
#include <memory>
#include <string>

namespace tavlen::test {

// A workspace over the real monitor repository of a workspace file of its own, with gates on the repository's
// reads and a scripted steps store.
class WorkspaceTest : public WorkspaceFixture
{
protected:
    void TearDown() override { flushDeferredDeletes(); }

    // A stored monitor, created a second after the one before so the list keeps the order of creation.
    Monitor addMonitor(const std::string& name)
    {
        m_clock.setDate(Date::fromMilliseconds(m_clock.date().milliseconds() + 1000));
        return finish(m_storedMonitors.create(Uuid::random(), name));
    }

    // Starts a load and waits until it has ended.
    void load()
    {
        m_workspace->load();
        waitForOperation();
    }

    void waitForOperation()
    {
        ASSERT_TRUE(m_workspace->operation());
        finish(m_workspace->operation()->result());
    }

    // Makes reading the monitor list fail: a schedule stored in a format this version cannot read.
    void breakMonitorList(const Monitor& monitor)
    {
        execute("UPDATE monitors SET schedule_json = '{\"version\":2}' WHERE id = '" + monitor.id.lowercaseString() +
                "'");
    }

    // Makes reading the sidebar summaries fail (and the monitor list not): steps in an unknown format.
    void breakSummaries(const Monitor& monitor)
    {
        execute("INSERT INTO monitor_steps (monitor_id, version, format_version, workflow_json) VALUES ('" +
                monitor.id.lowercaseString() + "', 1, 9, '{}')");
    }

    void repairSummaries() { execute("DELETE FROM monitor_steps WHERE format_version = 9"); }

    // Saves an Open page step for the monitor, which gives its summary a domain.
    void saveOpenPage(const Monitor& monitor, std::string url)
    {
        SQLiteStepsRepository steps(m_database);
        finish(steps.saveSteps(monitor.id, std::nullopt, StepsWorkflow{sampleDocument(std::nullopt, {}, url)}));
    }

    std::vector<Uuid> idsOf(const std::vector<Monitor>& monitors) const
    {
        std::vector<Uuid> ids;
        for (const Monitor& monitor : monitors) {
            ids.push_back(monitor.id);
        }
        return ids;
    }

    SQLiteMonitorRepository m_storedMonitors{m_database, m_clock};
    std::shared_ptr<GatedMonitorRepository> m_repository =
        std::make_shared<GatedMonitorRepository>(std::make_unique<SQLiteMonitorRepository>(m_database, m_clock));
    std::shared_ptr<ScriptedStepsStore> m_stepsStore = std::make_shared<ScriptedStepsStore>();
    std::unique_ptr<MonitorWorkspace> m_workspace = std::make_unique<MonitorWorkspace>(m_repository, m_stepsStore);
};

} // namespace tavlen::test
