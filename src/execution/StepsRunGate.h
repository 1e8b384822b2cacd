#pragma once

#include "StepsExecutionProgress.h"
#include "Uuid.h"

#include <optional>
#include <string>

namespace tavlen {

class MonitorCheckStore;
class StepsExecutor;
class StepsScreenshotCapturing;
class StepsStoreState;

// The questions asked before anything runs: is the store busy, is a monitor's run in progress, why can a step or
// a monitor not run now, may the scheduler start a check. They never fail and change nothing; a reason is the
// sentence shown to the user. Main thread only.
class StepsRunGate
{
public:
    // Everything given must outlive the gate.
    StepsRunGate(const StepsStoreState& state,
                 const MonitorCheckStore& results,
                 const StepsExecutor& executor,
                 const StepsScreenshotCapturing& captureService);

    // What takes the screenshots; views ask it why a capture cannot start.
    const StepsScreenshotCapturing& captureService() const { return m_captureService; }

    // An execution runs, or a result write of any monitor does.
    bool isBusy() const;
    // The monitor's steps are locked: its step test or manual check runs, or its result is being written. Never
    // while a scheduled check runs, which works on a private copy of the saved steps.
    bool isRunningSteps(const Uuid& monitorID) const;
    // The executor's progress while the monitor's execution (of any origin) runs.
    std::optional<StepsExecutionProgress> executionProgress(const Uuid& monitorID) const;
    // The first reason why the session's steps cannot run through the given step. Only the steps up to it count;
    // unless includeAll, earlier steps that succeeded are passed over (a step test reuses them).
    std::optional<std::string> executionBlocker(const Uuid& monitorID, const Uuid& stepID, bool includeAll) const;
    // The first reason why a manual check of the monitor cannot start now.
    std::optional<std::string> unavailableReason(const Uuid& monitorID) const;
    // Whether the scheduler may start any check now.
    bool canStartScheduledCheck() const;
    // Whether a scheduled check of this monitor may start now.
    bool canRunScheduledCheck(const Uuid& monitorID) const;
    // Chrome can take a capture for a scheduled check: none runs, the selected and connected profile is idle,
    // and the capture service has no reason against it.
    bool isChromeReadyForScheduledCheck() const;

private:
    const StepsStoreState& m_state;
    const MonitorCheckStore& m_results;
    const StepsExecutor& m_executor;
    const StepsScreenshotCapturing& m_captureService;
};

} // namespace tavlen
