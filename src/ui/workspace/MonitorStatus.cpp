#include "MonitorStatus.h"

#include "Formatting.h"
#include "MonitorCheckStore.h"
#include "StepsStore.h"
#include "WorkspaceViewText.h"

namespace tavlen::ui {

MonitorStatusFacts MonitorStatusFacts::of(const Uuid& monitorID, StepsStore& store)
{
    const StepsStoreState& state = store.state();
    const MonitorCheckStore& results = store.results();
    MonitorStatusFacts facts;
    facts.isStoringResults = results.storingResults().contains(monitorID);
    facts.isActive = state.activeMonitorID() == monitorID;
    facts.isCancelling = state.cancellingMonitorID() == monitorID;
    if (const auto error = results.resultStorageErrors().find(monitorID);
        error != results.resultStorageErrors().end()) {
        facts.storageError = error->second;
    }
    if (const auto pending = results.pendingResults().find(monitorID); pending != results.pendingResults().end()) {
        facts.pendingCompletedAtMilliseconds = pending->second.check.completedAtMilliseconds;
    }
    if (const auto outcome = state.latestExecutionOutcomes().find(monitorID);
        outcome != state.latestExecutionOutcomes().end()) {
        facts.latestOutcome = outcome->second;
        const auto& times = state.latestExecutionCompletedAtMilliseconds();
        if (const auto time = times.find(monitorID); time != times.end()) {
            facts.latestCompletedAtMilliseconds = time->second;
        }
    }
    facts.progress = store.executionProgress(monitorID);
    return facts;
}

namespace {

MonitorStatus statusOf(MonitorCheckOutcome outcome)
{
    switch (outcome) {
    case MonitorCheckOutcome::succeeded:
        return MonitorStatus::succeeded;
    case MonitorCheckOutcome::failed:
        return MonitorStatus::failed;
    case MonitorCheckOutcome::cancelled:
        return MonitorStatus::cancelled;
    }
    return MonitorStatus::notChecked;
}

QString withTime(const QString& prefix, const QString& bare, const std::optional<std::int64_t>& milliseconds)
{
    return milliseconds ? prefix + formatMoment(*milliseconds) : bare;
}

} // namespace

MonitorStatus deriveMonitorStatus(const MonitorStatusFacts& facts,
                                  const std::optional<MonitorSidebarSummary>& summary,
                                  bool isQueued,
                                  bool summariesUnavailable)
{
    if (facts.isStoringResults) {
        return MonitorStatus::savingResults;
    }
    if (facts.isActive) {
        return facts.isCancelling ? MonitorStatus::stopping : MonitorStatus::inProgress;
    }
    if (facts.storageError) {
        return MonitorStatus::storageFailed;
    }
    if (summary && !summary->modelsAvailable) {
        return MonitorStatus::modelRequired;
    }
    if (isQueued) {
        return MonitorStatus::queued;
    }
    if (facts.latestOutcome) {
        return statusOf(*facts.latestOutcome);
    }
    if (summary && summary->outcome) {
        return statusOf(*summary->outcome);
    }
    return summariesUnavailable ? MonitorStatus::statusUnavailable : MonitorStatus::notChecked;
}

bool showsProgressRing(MonitorStatus status)
{
    return status == MonitorStatus::inProgress || status == MonitorStatus::stopping ||
           status == MonitorStatus::savingResults;
}

QString monitorStatusTitle(MonitorStatus status, const std::optional<StepsExecutionProgress>& progress)
{
    switch (status) {
    case MonitorStatus::succeeded:
        return text::succeeded;
    case MonitorStatus::failed:
        return text::failed;
    case MonitorStatus::cancelled:
        return text::cancelled;
    case MonitorStatus::notChecked:
        return text::notChecked;
    case MonitorStatus::inProgress:
        if (!progress) {
            return text::preparing;
        }
        return text::checkingPrefix + QString::number(progress->currentStepNumber) + QLatin1Char('/') +
               QString::number(progress->totalSteps);
    case MonitorStatus::stopping:
        return text::stopping;
    case MonitorStatus::savingResults:
        return text::savingResults;
    case MonitorStatus::queued:
        return text::queued;
    case MonitorStatus::storageFailed:
        return text::couldNotSaveResults;
    case MonitorStatus::statusUnavailable:
        return text::statusUnavailable;
    case MonitorStatus::modelRequired:
        return text::modelRequired;
    }
    return {};
}

QString monitorStatusSymbol(MonitorStatus status)
{
    switch (status) {
    case MonitorStatus::succeeded:
        return QStringLiteral("checkmark.circle");
    case MonitorStatus::failed:
        return QStringLiteral("xmark.circle");
    case MonitorStatus::cancelled:
        return QStringLiteral("slash.circle");
    case MonitorStatus::notChecked:
        return QStringLiteral("circle.dotted");
    case MonitorStatus::queued:
        return QStringLiteral("clock");
    case MonitorStatus::storageFailed:
    case MonitorStatus::statusUnavailable:
        return QStringLiteral("exclamationmark.triangle");
    case MonitorStatus::modelRequired:
        return QStringLiteral("pause.circle");
    case MonitorStatus::inProgress:
    case MonitorStatus::stopping:
    case MonitorStatus::savingResults:
        break;
    }
    return {};
}

QString monitorStatusHelpText(MonitorStatus status,
                              const MonitorStatusFacts& facts,
                              const std::optional<MonitorSidebarSummary>& summary)
{
    std::optional<std::int64_t> outcomeTime;
    if (facts.latestOutcome) {
        outcomeTime = facts.latestCompletedAtMilliseconds;
    } else if (summary) {
        outcomeTime = summary->completedAtMilliseconds;
    }
    switch (status) {
    case MonitorStatus::storageFailed: {
        QString help =
            facts.pendingCompletedAtMilliseconds
                ? text::storeFailedAtPrefix + formatMoment(*facts.pendingCompletedAtMilliseconds) + QLatin1Char('.')
                : text::storeFailed;
        if (facts.storageError) {
            help += QLatin1Char(' ') + QString::fromStdString(facts.storageError->errorDescription()) +
                    text::retryStoringHint;
        }
        return help;
    }
    case MonitorStatus::succeeded:
        return withTime(text::lastSucceededAt, text::succeeded, outcomeTime);
    case MonitorStatus::failed:
        return withTime(text::lastFailedAt, text::failed, outcomeTime);
    case MonitorStatus::cancelled:
        return withTime(text::lastCancelledAt, text::cancelled, outcomeTime);
    default:
        return monitorStatusTitle(status, facts.progress);
    }
}

QString monitorProgressDescription(const StepsExecutionProgress& progress)
{
    return QString::number(progress.completedSteps) + text::stepsCompletedOf + QString::number(progress.totalSteps) +
           text::stepsCompletedSuffix;
}

double monitorProgressFraction(const std::optional<StepsExecutionProgress>& progress)
{
    // A workflow without steps has made no progress, rather than NaN of it.
    if (!progress || progress->totalSteps <= 0) {
        return 0;
    }
    return static_cast<double>(progress->completedSteps) / static_cast<double>(progress->totalSteps);
}

} // namespace tavlen::ui
