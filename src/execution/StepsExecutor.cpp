#include "StepsExecutor.h"

#include "CancelledError.h"
#include "ExecutionFailure.h"
#include "ExecutionText.h"
#include "MainThread.h"
#include "ModelRequestEvent.h"
#include "ModelRequestReport.h"
#include "MonitorStoreError.h"
#include "NumericInputParsers.h"
#include "PageURL.h"
#include "ReadingValidation.h"
#include "Sleep.h"
#include "Step.h"
#include "StepsDocument.h"
#include "StepsDraft.h"
#include "StepsExecutionFailure.h"
#include "StepsReader.h"
#include "StepsScreenshot.h"
#include "StepsScreenshotCapturing.h"

#include <chrono>
#include <exception>

namespace tavlen {
namespace {

constexpr std::chrono::milliseconds chromePollInterval{100};

ModelRequestEvent requestEventOf(const ModelRequestReport& report)
{
    switch (report.kind()) {
    case ModelRequestReport::Kind::requestSent:
        return ModelRequestEvent::sent();
    case ModelRequestReport::Kind::usage:
        return ModelRequestEvent::usage(*report.usage());
    case ModelRequestReport::Kind::model:
        return ModelRequestEvent::model(*report.model());
    case ModelRequestReport::Kind::requestNotBilled:
        break;
    }
    return ModelRequestEvent::unbilled();
}

} // namespace

// What one execution shares between its steps.
struct StepsExecutor::Run
{
    std::shared_ptr<StepsDraft> draft;
    StepsDraft::StepList steps;
    Models models;
    std::function<bool()> isCurrent;
    std::function<bool()> acceptsUsage;
    std::stop_token stop;
    bool waitsForChrome = false;
    // Shared with the usage callbacks handed to the reader, which may in principle outlive the execution.
    std::shared_ptr<MonitorCheckUsage> usage = std::make_shared<MonitorCheckUsage>();

    bool current() const { return !isCurrent || isCurrent(); }
};

StepsExecutor::StepsExecutor(StepsScreenshotCapturing& captureService,
                             StepsReader* readingService,
                             const TimeSource& time,
                             QObject* parent)
    : QObject(parent)
    , m_captureService(captureService)
    , m_readingService(readingService)
    , m_time(time)
{}

void StepsExecutor::setActiveStepID(std::optional<Uuid> stepID)
{
    Q_ASSERT(isMainThread());
    if (m_activeStepID != stepID) {
        m_activeStepID = stepID;
        Q_EMIT activeStepIDChanged();
    }
}

void StepsExecutor::setActiveModel(std::optional<ModelSelection> model)
{
    Q_ASSERT(isMainThread());
    if (m_activeModel != model) {
        m_activeModel = std::move(model);
        Q_EMIT activeModelChanged();
    }
}

void StepsExecutor::setProgress(std::optional<StepsExecutionProgress> progress)
{
    Q_ASSERT(isMainThread());
    if (m_progress != progress) {
        m_progress = progress;
        Q_EMIT progressChanged();
    }
}

void StepsExecutor::markCompleted(std::int64_t steps)
{
    if (m_progress) {
        m_progress->completedSteps = steps;
        Q_EMIT progressChanged();
    }
}

QCoro::Task<StepsExecutionResult> StepsExecutor::execute(std::shared_ptr<StepsDraft> draft,
                                                         StepsExecutionMode mode,
                                                         Models models,
                                                         std::function<bool()> isCurrent,
                                                         std::function<bool()> acceptsUsage,
                                                         std::stop_token stop)
{
    Q_ASSERT(isMainThread());
    Run run{draft, draft->steps(), std::move(models), std::move(isCurrent), std::move(acceptsUsage), stop};
    run.waitsForChrome = mode.kind() == StepsExecutionMode::Kind::scheduledCheck;

    std::optional<std::size_t> target;
    if (!run.steps.empty()) {
        const Uuid targetID = mode.stepID().value_or(run.steps.back()->id());
        for (std::size_t position = 0; position < run.steps.size(); ++position) {
            if (run.steps[position]->id() == targetID) {
                target = position;
                break;
            }
        }
    }
    if (!target) {
        co_return StepsExecutionResult{
            MonitorCheckFailure(execution_code::executionFailed, execution_text::noTargetStep), {}, {}};
    }
    if (mode.kind() != StepsExecutionMode::Kind::testStep) {
        draft->resetExecution(0);
    }
    const auto totalSteps = static_cast<std::int64_t>(run.steps.size());

    std::optional<MonitorCheckFailure> failure;
    for (std::size_t position = 0; position <= *target; ++position) {
        if (stop.stop_requested() || !run.current()) {
            failure = cancelledFailure();
            break;
        }
        const std::shared_ptr<Step> step = run.steps[position];
        if (position != *target && step->execution().kind() == StepsExecutionState::Kind::succeeded) {
            continue;
        }
        const auto number = static_cast<std::int64_t>(position);
        draft->resetExecution(position);
        step->setExecution(StepsExecutionState::running());
        setActiveStepID(step->id());
        setActiveModel(std::nullopt);
        setProgress(StepsExecutionProgress{number + 1, totalSteps, number});
        const auto started = m_time.now(TimeSource::Clock::bootTime);

        std::exception_ptr error;
        StepOutcome outcome = StepOutcome::succeeded;
        try {
            if (step->content().kind() == StepKind::openPage) {
                outcome = co_await runOpenPage(run, *step);
            } else {
                outcome = co_await runRead(run, *step, number);
            }
        } catch (...) {
            error = std::current_exception();
        }
        if (!error && outcome == StepOutcome::noLongerCurrent) {
            failure = cancelledFailure();
            break;
        }
        if (!error) {
            step->setExecutionDuration(m_time.now(TimeSource::Clock::bootTime) - started);
            markCompleted(number + 1);
            continue;
        }
        const bool cancelled = stop.stop_requested() || !run.current();
        failure = cancelled ? cancelledFailure() : checkFailureOf(error);
        // A step of an execution that is no longer current belongs to whoever replaced it.
        if (run.current()) {
            if (StepsOpenPageSettings* settings = step->content().openPageSettings(); settings && settings->phase()) {
                settings->setPhase(std::nullopt);
            }
            step->setExecution(StepsExecutionState::failed(failure->message()));
            step->setExecutionDuration(m_time.now(TimeSource::Clock::bootTime) - started);
        }
        break;
    }
    setActiveStepID(std::nullopt);

    StepsExecutionResult result;
    result.failure = failure;
    if (!failure) {
        for (std::size_t position = 0; position <= *target; ++position) {
            const StepsExecutionState& state = run.steps[position]->execution();
            if (state.kind() == StepsExecutionState::Kind::succeeded) {
                result.readings.insert(result.readings.end(), state.readings().begin(), state.readings().end());
            }
        }
    }
    result.usage = *run.usage;
    co_return result;
}

QCoro::Task<void> StepsExecutor::waitForChrome(const std::stop_token& stop)
{
    // No deadline and no message: a scheduled check waits as long as it takes, until it is cancelled.
    while (m_captureService.unavailableReason()) {
        co_await sleepUntil(m_time.now(TimeSource::Clock::bootTime) + chromePollInterval, stop, m_time);
    }
}

QCoro::Task<StepsExecutor::StepOutcome> StepsExecutor::runOpenPage(Run& run, Step& step)
{
    StepsOpenPageSettings& settings = *step.content().openPageSettings();
    if (run.waitsForChrome) {
        co_await waitForChrome(run.stop);
    }
    const std::optional<std::string> url = pageURL(settings.url());
    if (!url) {
        throw StepsExecutionFailure(execution_text::enterStepURL);
    }
    const std::optional<std::int64_t> delay = parseWholeNumber(settings.screenshotDelayText());
    if (!delay || *delay > StepsDocument::OpenPage::maximumDelay) {
        throw StepsExecutionFailure(execution_text::stepDelayOutOfRange);
    }
    const BrowserCaptureSettings viewport = settings.viewport();
    viewport.validate();

    std::shared_ptr<const StepsScreenshot> screenshot =
        co_await m_captureService.capture(*url, *delay, viewport, settings, run.isCurrent, run.stop);
    if (run.stop.stop_requested()) {
        throw CancelledError();
    }
    if (!run.current()) {
        co_return StepOutcome::noLongerCurrent;
    }
    settings.setScreenshot(std::move(screenshot));
    settings.setSelection(std::nullopt);
    settings.setPhase(std::nullopt);
    step.setExecution(StepsExecutionState::succeeded({}));
    co_return StepOutcome::succeeded;
}

QCoro::Task<StepsExecutor::StepOutcome> StepsExecutor::runRead(Run& run, Step& step, std::int64_t position)
{
    const StepsReadSettings& settings = *step.content().readSettings();
    const auto model = run.models.find(step.id());
    const std::optional<std::int64_t> timeout = parseWholeNumber(settings.timeoutText());
    if (model == run.models.end() || !timeout || *timeout <= 0) {
        throw MonitorStoreError::validation(std::string(execution_text::modelAndTimeout));
    }
    const ModelSelection selection = model->second;
    setActiveModel(selection);
    // The entry stays in the usage even when a check below fails the step.
    const std::size_t usageIndex = run.usage->appendEntry(step.id(), position, selection);

    const std::vector<ReadingField> fields = settings.fields();
    validateReadingFields(fields);

    std::shared_ptr<const StepsScreenshot> screenshot;
    if (step.sourceID()) {
        if (const std::shared_ptr<Step> source = run.draft->step(*step.sourceID())) {
            if (const StepsOpenPageSettings* page = source->content().openPageSettings()) {
                screenshot = std::dynamic_pointer_cast<const StepsScreenshot>(page->screenshot());
            }
        }
    }
    if (!screenshot || !step.region()) {
        throw StepsExecutionFailure(execution_text::sourceAndRegion);
    }
    if (!m_readingService) {
        throw StepsExecutionFailure(execution_text::readingUnavailable);
    }

    StepsReader::UsageCallback onUsage =
        [usage = run.usage, usageIndex, acceptsUsage = run.acceptsUsage](const ModelRequestReport& report) {
            if (!acceptsUsage || acceptsUsage()) {
                usage->recordRequest(requestEventOf(report), usageIndex);
            }
        };
    auto reading =
        m_readingService->read(ReadingRequest{selection, *timeout, fields, std::move(screenshot), *step.region()},
                               std::move(onUsage),
                               run.stop);
    const std::vector<Reading> readings = co_await std::move(reading);
    if (run.stop.stop_requested()) {
        throw CancelledError();
    }
    if (!run.current()) {
        co_return StepOutcome::noLongerCurrent;
    }
    step.setExecution(StepsExecutionState::succeeded(validateReadings(readings, fields)));
    co_return StepOutcome::succeeded;
}

} // namespace tavlen
