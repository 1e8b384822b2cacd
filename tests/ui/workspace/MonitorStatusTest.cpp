#include "MonitorStatus.h"

#include "MonitorProgressRing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tavlen::ui {
namespace {

MonitorSidebarSummary summaryWith(std::optional<MonitorCheckOutcome> outcome,
                                  bool modelsAvailable = true,
                                  std::optional<std::int64_t> completedAt = std::nullopt)
{
    MonitorSidebarSummary summary;
    summary.outcome = outcome;
    summary.modelsAvailable = modelsAvailable;
    summary.completedAtMilliseconds = completedAt;
    return summary;
}

TEST(MonitorStatusTest, theFirstRuleThatAppliesGivesTheStatus)
{
    MonitorStatusFacts idle;
    MonitorStatusFacts saving;
    saving.isStoringResults = true;
    saving.isActive = true;
    MonitorStatusFacts running;
    running.isActive = true;
    MonitorStatusFacts stopping = running;
    stopping.isCancelling = true;
    MonitorStatusFacts cancellingOther;
    cancellingOther.isCancelling = true;
    MonitorStatusFacts writeFailed;
    writeFailed.storageError = MonitorStoreError::storage();
    writeFailed.latestOutcome = MonitorCheckOutcome::succeeded;
    MonitorStatusFacts failedSinceStart;
    failedSinceStart.latestOutcome = MonitorCheckOutcome::failed;

    const auto succeeded = summaryWith(MonitorCheckOutcome::succeeded);
    const auto noModel = summaryWith(MonitorCheckOutcome::succeeded, false);
    const auto unchecked = summaryWith(std::nullopt);

    struct Row
    {
        const char* name;
        MonitorStatusFacts facts;
        std::optional<MonitorSidebarSummary> summary;
        bool queued;
        bool unavailable;
        MonitorStatus expected;
    };

    const Row rows[] = {
        {"a result write outranks a running execution", saving, succeeded, true, false, MonitorStatus::savingResults},
        {"a running execution", running, succeeded, true, false, MonitorStatus::inProgress},
        {"a cancelled running execution is stopping", stopping, succeeded, false, false, MonitorStatus::stopping},
        {"cancelling counts only for the active monitor",
         cancellingOther,
         succeeded,
         false,
         false,
         MonitorStatus::succeeded},
        {"a failed write outranks a queued check and any outcome",
         writeFailed,
         noModel,
         true,
         false,
         MonitorStatus::storageFailed},
        {"a missing model outranks a queued check with a summary",
         idle,
         noModel,
         true,
         false,
         MonitorStatus::modelRequired},
        {"queued with a summary", idle, succeeded, true, false, MonitorStatus::queued},
        {"queued without a summary", idle, std::nullopt, true, true, MonitorStatus::queued},
        {"the outcome since start replaces the stored one",
         failedSinceStart,
         succeeded,
         false,
         false,
         MonitorStatus::failed},
        {"the stored outcome",
         idle,
         summaryWith(MonitorCheckOutcome::cancelled),
         false,
         false,
         MonitorStatus::cancelled},
        {"no outcome anywhere", idle, unchecked, false, false, MonitorStatus::notChecked},
        {"no outcome while summaries failed", idle, std::nullopt, false, true, MonitorStatus::statusUnavailable},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(deriveMonitorStatus(row.facts, row.summary, row.queued, row.unavailable), row.expected);
    }
}

TEST(MonitorStatusTest, titlesAndTooltipsTellTheStatusAndWhen)
{
    // 2023-11-14 22:13:20 UTC is 5:13:20 PM in New York, the zone widget tests pin.
    constexpr std::int64_t summaryTime = 1'700'000'000'000;
    constexpr std::int64_t latestTime = 1'700'003'600'000;
    const auto summary = summaryWith(MonitorCheckOutcome::succeeded, true, summaryTime);

    MonitorStatusFacts idle;
    MonitorStatusFacts latest;
    latest.latestOutcome = MonitorCheckOutcome::failed;
    latest.latestCompletedAtMilliseconds = latestTime;
    MonitorStatusFacts latestWithoutTime;
    latestWithoutTime.latestOutcome = MonitorCheckOutcome::cancelled;
    MonitorStatusFacts preparing;
    preparing.isActive = true;
    MonitorStatusFacts checking = preparing;
    checking.progress = StepsExecutionProgress{2, 5, 1};
    MonitorStatusFacts writeFailed;
    writeFailed.storageError = MonitorStoreError::storage();
    writeFailed.pendingCompletedAtMilliseconds = summaryTime;
    MonitorStatusFacts writeFailedWithoutPending;
    writeFailedWithoutPending.storageError = writeFailed.storageError;
    const QString storageSentence = QString::fromStdString(MonitorStoreError::storage().errorDescription());

    struct Row
    {
        const char* name;
        MonitorStatus status;
        MonitorStatusFacts facts;
        std::optional<MonitorSidebarSummary> summary;
        QString title;
        QString help;
    };

    const Row rows[] = {
        {"stored success with its time",
         MonitorStatus::succeeded,
         idle,
         summary,
         QStringLiteral("Succeeded"),
         QStringLiteral("Last succeeded at Nov 14, 2023, 5:13:20\u202FPM")},
        {"the latest execution's time replaces the summary's",
         MonitorStatus::failed,
         latest,
         summary,
         QStringLiteral("Failed"),
         QStringLiteral("Last failed at Nov 14, 2023, 6:13:20\u202FPM")},
        {"a latest execution without a time shows none",
         MonitorStatus::cancelled,
         latestWithoutTime,
         summary,
         QStringLiteral("Cancelled"),
         QStringLiteral("Cancelled")},
        {"no summary, no time",
         MonitorStatus::succeeded,
         idle,
         std::nullopt,
         QStringLiteral("Succeeded"),
         QStringLiteral("Succeeded")},
        {"before the first progress",
         MonitorStatus::inProgress,
         preparing,
         summary,
         QStringLiteral("Preparing\u2026"),
         QStringLiteral("Preparing\u2026")},
        {"with progress",
         MonitorStatus::inProgress,
         checking,
         summary,
         QStringLiteral("Checking 2/5"),
         QStringLiteral("Checking 2/5")},
        {"a failed write with its pending result",
         MonitorStatus::storageFailed,
         writeFailed,
         summary,
         QStringLiteral("Couldn\u2019t save results"),
         QStringLiteral("Couldn\u2019t store results for the check completed at Nov 14, 2023, 5:13:20\u202FPM. ") +
             storageSentence + QStringLiteral(" Retry Storing Results in Steps or Schedule.")},
        {"a failed write without a pending result",
         MonitorStatus::storageFailed,
         writeFailedWithoutPending,
         summary,
         QStringLiteral("Couldn\u2019t save results"),
         QStringLiteral("Couldn\u2019t store results. ") + storageSentence +
             QStringLiteral(" Retry Storing Results in Steps or Schedule.")},
        {"queued", MonitorStatus::queued, idle, summary, QStringLiteral("Queued"), QStringLiteral("Queued")},
        {"model required",
         MonitorStatus::modelRequired,
         idle,
         summary,
         QStringLiteral("AI model required"),
         QStringLiteral("AI model required")},
        {"stopping",
         MonitorStatus::stopping,
         idle,
         summary,
         QStringLiteral("Stopping\u2026"),
         QStringLiteral("Stopping\u2026")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(monitorStatusTitle(row.status, row.facts.progress), row.title);
        EXPECT_EQ(monitorStatusHelpText(row.status, row.facts, row.summary), row.help);
    }
}

TEST(MonitorStatusTest, progressIsAFractionOfTheStepsAndNeverNaN)
{
    EXPECT_EQ(monitorProgressFraction(std::nullopt), 0);
    EXPECT_EQ(monitorProgressFraction(StepsExecutionProgress{1, 0, 0}), 0);
    EXPECT_DOUBLE_EQ(monitorProgressFraction(StepsExecutionProgress{2, 3, 1}), 1.0 / 3);
    EXPECT_EQ(monitorProgressDescription(StepsExecutionProgress{2, 3, 1}), QStringLiteral("1 of 3 steps completed"));
}

TEST(MonitorStatusTest, theRingsDotTurnsOnceEveryOneAndAHalfSecondsFromTheEpoch)
{
    struct Row
    {
        double diameter;
        double seconds;
        double angle;
        QPointF dot;
    };

    const Row rows[] = {
        {18, 0, 0, {0, -4}},
        {18, 0.375, 90, {4, 0}},
        {18, 0.75, 180, {0, 4}},
        {18, 1.5 * 1000 + 1.125, 270, {-4, 0}},
        {36, -0.375, 270, {-8, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seconds);
        const ProgressRingGeometry geometry = progressRingGeometry(row.diameter, row.seconds);
        EXPECT_DOUBLE_EQ(geometry.lineWidth, row.diameter / 9);
        EXPECT_DOUBLE_EQ(geometry.dotDiameter, row.diameter / 6);
        EXPECT_NEAR(geometry.dotAngleDegrees, row.angle, 1e-9);
        EXPECT_NEAR(geometry.dotCenter.x(), row.dot.x(), 1e-9);
        EXPECT_NEAR(geometry.dotCenter.y(), row.dot.y(), 1e-9);
    }
}

TEST(MonitorStatusTest, theRingAnimatesOnlyWhileVisible)
{
    MonitorProgressRing ring(18);
    EXPECT_FALSE(ring.isAnimating());
    ring.show();
    EXPECT_TRUE(ring.isAnimating());
    ring.hide();
    EXPECT_FALSE(ring.isAnimating());
}

} // namespace
} // namespace tavlen::ui
