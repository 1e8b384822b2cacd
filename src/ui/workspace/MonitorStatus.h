#pragma once

#include "MonitorCheckOutcome.h"
#include "MonitorSidebarSummary.h"
#include "MonitorStoreError.h"
#include "StepsExecutionProgress.h"
#include "Uuid.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace tavlen {
class StepsStore;
}

namespace tavlen::ui {

// A monitor's status, derived anew each time it is shown; never stored.
enum class MonitorStatus
{
    succeeded,
    failed,
    cancelled,
    notChecked,
    inProgress,
    stopping,
    savingResults,
    queued,
    storageFailed,
    statusUnavailable,
    modelRequired
};

// What the steps store and its result store know of one monitor, read in one place so the derivation and the
// texts are plain functions of values.
struct MonitorStatusFacts
{
    bool isStoringResults = false;
    bool isActive = false;     // an execution of the monitor runs
    bool isCancelling = false; // the user asked to cancel it
    std::optional<MonitorStoreError> storageError;
    std::optional<std::int64_t> pendingCompletedAtMilliseconds; // of the result waiting to be stored
    std::optional<MonitorCheckOutcome> latestOutcome;           // settled since the application started
    std::optional<std::int64_t> latestCompletedAtMilliseconds;
    std::optional<StepsExecutionProgress> progress;

    static MonitorStatusFacts of(const Uuid& monitorID, StepsStore& store);
};

// The first rule that applies: saving results, running (stopping while cancelled), a failed write, a missing model
// (only with a summary) or a queued check, the outcome since start, the stored outcome, else not checked (status
// unavailable while the summaries could not be loaded).
MonitorStatus deriveMonitorStatus(const MonitorStatusFacts& facts,
                                  const std::optional<MonitorSidebarSummary>& summary,
                                  bool isQueued,
                                  bool summariesUnavailable);

bool showsProgressRing(MonitorStatus status);
// The short title of a status; for inProgress "Preparing…" or "Checking 2/5" from the progress.
QString monitorStatusTitle(MonitorStatus status, const std::optional<StepsExecutionProgress>& progress = {});
// The kit symbol of a status without a ring.
QString monitorStatusSymbol(MonitorStatus status);
// The tooltip. The time of an outcome is the latest execution's when there is one, else the summary's.
QString monitorStatusHelpText(MonitorStatus status,
                              const MonitorStatusFacts& facts,
                              const std::optional<MonitorSidebarSummary>& summary);
// "1 of 3 steps completed".
QString monitorProgressDescription(const StepsExecutionProgress& progress);
// completed / total; 0 without progress or without steps.
double monitorProgressFraction(const std::optional<StepsExecutionProgress>& progress);

} // namespace tavlen::ui
