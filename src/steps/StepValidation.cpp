#include "NumericInputParsers.h"
#include "PageURL.h"
#include "Step.h"
#include "StepsText.h"
#include "Utf8.h"

namespace tavlen {
namespace {

constexpr std::int64_t maximumDelaySeconds = 60;
constexpr std::int64_t maximumViewportExtent = 8'000'000;

bool isViewportExtent(std::int64_t value)
{
    return value >= 1 && value <= maximumViewportExtent;
}

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
    if (!delay || *delay > maximumDelaySeconds) {
        issues.push_back({{stepID, StepsField::Kind::delay()}, std::string(steps_text::delayRange)});
    }
    BrowserCaptureSettings viewport = settings.viewport();
    if (!isViewportExtent(viewport.width)) {
        issues.push_back({{stepID, StepsField::Kind::viewportWidth()}, std::string(steps_text::viewportRange)});
    }
    if (!isViewportExtent(viewport.height)) {
        issues.push_back({{stepID, StepsField::Kind::viewportHeight()}, std::string(steps_text::viewportRange)});
    }
    if (!parsePositiveDecimal(settings.deviceScaleFactorText())) {
        issues.push_back({{stepID, StepsField::Kind::deviceScaleFactor()}, std::string(steps_text::deviceScaleFactor)});
    }
}

} // namespace

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
