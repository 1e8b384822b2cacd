#include "Step.h"

#include "MainThread.h"
#include "NumericInputParsers.h"
#include "PageURL.h"
#include "StepsChangeRule.h"
#include "StepsDocument.h"
#include "StepsText.h"
#include "Utf8.h"

namespace tavlen {
namespace {

// The input check works on the texts as typed; the document check in StepsDocument.cpp on the stored values.
void checkRead(const Uuid& stepID, const StepsReadSettings& settings, std::vector<StepsValidationIssue>& issues)
{
    if (!settings.modelID()) {
        issues.push_back({{stepID, StepsField::Kind::model()}, std::string(steps_text::selectModel)});
    }
    std::optional<std::int64_t> timeout = parseWholeNumber(settings.timeoutText());
    if (!timeout || *timeout < 1) {
        issues.push_back({{stepID, StepsField::Kind::timeout()}, std::string(steps_text::positiveTimeout)});
    }
    for (const ReadingField& field : settings.fields()) {
        if (trimWhitespaceAndNewlines(field.name).empty()) {
            issues.push_back(
                {{stepID, StepsField::Kind::fieldName(field.id)}, std::string(steps_text::enterFieldName)});
        }
    }
}

void checkOpenPage(const Uuid& stepID, const StepsOpenPageSettings& settings, std::vector<StepsValidationIssue>& issues)
{
    if (!pageURL(settings.url())) {
        issues.push_back({{stepID, StepsField::Kind::url()}, std::string(steps_text::completeURL)});
    }
    std::optional<std::int64_t> delay = parseWholeNumber(settings.screenshotDelayText());
    if (!delay || *delay > StepsDocument::OpenPage::maximumDelay) {
        issues.push_back({{stepID, StepsField::Kind::delay()}, std::string(steps_text::delayRange)});
    }
    BrowserCaptureSettings viewport = settings.viewport();
    if (!BrowserCaptureSettings::isValidSide(viewport.width)) {
        issues.push_back({{stepID, StepsField::Kind::viewportWidth()}, std::string(steps_text::viewportRange)});
    }
    if (!BrowserCaptureSettings::isValidSide(viewport.height)) {
        issues.push_back({{stepID, StepsField::Kind::viewportHeight()}, std::string(steps_text::viewportRange)});
    }
    if (!parsePositiveDecimal(settings.deviceScaleFactorText())) {
        issues.push_back({{stepID, StepsField::Kind::deviceScaleFactor()}, std::string(steps_text::deviceScaleFactor)});
    }
}

} // namespace

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

std::vector<StepsValidationIssue> Step::validationIssues() const
{
    std::vector<StepsValidationIssue> issues;
    if (const StepsReadSettings* read = m_content.readSettings()) {
        checkRead(m_id, *read, issues);
    } else if (const StepsOpenPageSettings* openPage = m_content.openPageSettings()) {
        checkOpenPage(m_id, *openPage, issues);
    }
    return issues;
}

} // namespace tavlen
