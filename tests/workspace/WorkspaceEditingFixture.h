#pragma once

#include "ScriptedMonitorRepository.h"
#include "StandInStepsStore.h"
#include "StepContent.h"
#include "StepsOpenPageSettings.h"
#include "StepsSession.h"
#include "WorkspaceTestFixture.h"

#include <memory>
#include <string>

namespace tavlen::test {

// A workspace over the real repositories of its own workspace file, with scripted faults on the monitor
// repository and a steps store that keeps real sessions.
class WorkspaceEditingTest : public WorkspaceTest
{
protected:
    WorkspaceEditingTest() { m_workspace = std::make_unique<MonitorWorkspace>(m_scripted, m_store); }

    // The monitor's Steps session after loading what is stored.
    std::shared_ptr<StepsSession> loadSession(const Monitor& monitor)
    {
        finish(m_store->loadSteps(monitor.id, false));
        return m_store->session(monitor.id);
    }

    // Edits the URL of the monitor's Open page step.
    void editURL(const Monitor& monitor, std::string url)
    {
        m_store->session(monitor.id)->draft()->steps().front()->content().openPageSettings()->setUrl(std::move(url));
    }

    std::shared_ptr<MonitorChangesDraft> draftOf(const Monitor& monitor) const
    {
        return m_workspace->changeDraft(monitor.id);
    }

    // The monitor as stored now.
    Monitor stored(const Monitor& monitor)
    {
        for (const Monitor& known : finish(m_storedMonitors.monitors())) {
            if (known.id == monitor.id) {
                return known;
            }
        }
        ADD_FAILURE() << "the monitor is not stored";
        return monitor;
    }

    std::optional<SavedSteps> storedSteps(const Monitor& monitor) { return finish(m_steps.savedSteps(monitor.id)); }

    // A schedule form that differs from the default: every 15 minutes, switched on.
    static ScheduleDraft everyQuarterHour()
    {
        ScheduleDraft schedule;
        schedule.intervalPreset = IntervalPreset::fifteenMinutes;
        schedule.scheduleEnabled = true;
        return schedule;
    }

    SQLiteStepsRepository m_steps{m_database};
    std::shared_ptr<ScriptedMonitorRepository> m_scripted = std::make_shared<ScriptedMonitorRepository>(m_repository);
    std::shared_ptr<StandInStepsStore> m_store = std::make_shared<StandInStepsStore>(m_steps);
};

} // namespace tavlen::test
