#pragma once

// moc cannot parse the C++20 standard headers that these pull in; it needs none of them.
#ifndef Q_MOC_RUN
#include "ModelSelection.h"
#include "StepsExecutionMode.h"
#include "StepsExecutionProgress.h"
#include "StepsExecutionResult.h"
#include "TimeSource.h"
#include "Uuid.h"
#endif

#include <QCoroTask>
#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stop_token>

namespace tavlen {

class Step;
class StepsDraft;
class StepsReader;
class StepsScreenshotCapturing;

// Runs the steps of one execution in workflow order up to its target step and turns the outcome into a result,
// writing each step's state, duration and capture into the draft's steps as it goes. Observable; main thread
// only. The steps store starts at most one execution at a time; nothing here prevents a second.
class StepsExecutor : public QObject
{
    Q_OBJECT

public:
    // The model each Read step runs with, by step id; a Read step without an entry cannot run.
    using Models = std::map<Uuid, ModelSelection>;

    // The capture service and the reader (absent: Read steps fail) must outlive the executor.
    StepsExecutor(StepsScreenshotCapturing& captureService,
                  StepsReader* readingService,
                  const TimeSource& time = systemTime(),
                  QObject* parent = nullptr);

    // The step being run.
    const std::optional<Uuid>& activeStepID() const { return m_activeStepID; }

    // The model of the Read step being run, once its model was accepted.
    const std::optional<ModelSelection>& activeModel() const { return m_activeModel; }

    const std::optional<StepsExecutionProgress>& progress() const { return m_progress; }

    StepsScreenshotCapturing& captureService() const { return m_captureService; }

    StepsReader* readingService() const { return m_readingService; }

    // The steps store clears the live state when it settles an execution.
    void setActiveModel(std::optional<ModelSelection> model);
    void setProgress(std::optional<StepsExecutionProgress> progress);

    // Runs the draft's steps (read once, at the start) through the mode's target: a step test runs from the first
    // step that has not succeeded and reuses earlier results; a check resets and runs every step, and a scheduled
    // check first waits, polling every 100 ms, until Chrome can capture. isCurrent() false or a stop ends the
    // execution as cancelled; acceptsUsage() is asked for every usage report of a reader. Never throws.
    QCoro::Task<StepsExecutionResult> execute(std::shared_ptr<StepsDraft> draft,
                                              StepsExecutionMode mode,
                                              Models models,
                                              std::function<bool()> isCurrent,
                                              std::function<bool()> acceptsUsage,
                                              std::stop_token stop = {});

Q_SIGNALS:
    void activeStepIDChanged();
    void activeModelChanged();
    void progressChanged();

private:
    struct Run;
    enum class StepOutcome
    {
        succeeded,
        noLongerCurrent, // the execution ends as cancelled and the step is left as it is
    };

    void setActiveStepID(std::optional<Uuid> stepID);
    void markCompleted(std::int64_t steps);

    QCoro::Task<StepOutcome> runOpenPage(Run& run, Step& step);
    QCoro::Task<StepOutcome> runRead(Run& run, Step& step, std::int64_t position);
    QCoro::Task<void> waitForChrome(const std::stop_token& stop);

    StepsScreenshotCapturing& m_captureService;
    StepsReader* m_readingService;
    const TimeSource& m_time;
    std::optional<Uuid> m_activeStepID;
    std::optional<ModelSelection> m_activeModel;
    std::optional<StepsExecutionProgress> m_progress;
};

} // namespace tavlen
