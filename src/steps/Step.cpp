#include "Step.h"

#include "MainThread.h"
#include "StepsChangeRule.h"

namespace tavlen {

Step::Step(const Uuid& id, StepContent content, std::optional<Uuid> sourceID)
    : m_id(id)
    , m_content(std::move(content))
    , m_sourceID(sourceID)
{}

std::shared_ptr<Step>
Step::create(const Uuid& id, StepContent content, std::optional<Uuid> sourceID, std::optional<BrowserRect> region)
{
    TAVLEN_ASSERT_MAIN_THREAD();
    std::shared_ptr<Step> step(new Step(id, std::move(content), sourceID));
    step->setRegion(region); // no onEdit yet: nothing is reported
    std::weak_ptr<Step> weakStep = step;
    auto relay = [weakStep] {
        if (std::shared_ptr<Step> target = weakStep.lock()) {
            target->relayEdit();
        }
    };
    if (StepsOpenPageSettings* openPage = step->m_content.openPageSettings()) {
        openPage->setOnEdit(relay);
    } else if (StepsReadSettings* read = step->m_content.readSettings()) {
        read->setOnEdit(relay);
    }
    return step;
}

void Step::relayEdit() const
{
    // A copy, so the callback may replace itself while it runs.
    if (std::function<void()> onEdit = m_onEdit) {
        onEdit();
    }
}

void Step::setRegion(std::optional<BrowserRect> region)
{
    if (storeObserved(m_region, region)) {
        Q_EMIT regionChanged();
        relayEdit();
    }
}

void Step::setExecution(StepsExecutionState execution)
{
    bool clearsDuration = execution.kind() == StepsExecutionState::Kind::running ||
                          execution.kind() == StepsExecutionState::Kind::unexecuted;
    if (storeObserved(m_execution, std::move(execution))) {
        Q_EMIT executionChanged();
    }
    if (clearsDuration) {
        setExecutionDuration(std::nullopt);
    }
}

void Step::setExecutionDuration(std::optional<Duration> duration)
{
    if (storeObserved(m_executionDuration, duration)) {
        Q_EMIT executionDurationChanged();
    }
}

} // namespace tavlen
