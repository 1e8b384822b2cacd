#include "MonitorStoreError.h"
#include "PageURL.h"
#include "StepsDocument.h"
#include "StepsText.h"
#include "Utf8.h"

#include <cmath>
#include <unordered_set>

namespace tavlen {
namespace {

constexpr std::int64_t maximumDelaySeconds = 60;
constexpr std::int64_t maximumViewportExtent = 8'000'000;

[[noreturn]] void refuse(std::string_view sentence)
{
    throw MonitorStoreError::validation(std::string(sentence));
}

[[noreturn]] void broken()
{
    throw MonitorStoreError::invalidStoredData();
}

bool isUsableRegion(const std::optional<BrowserRect>& region)
{
    return region && std::isfinite(region->x) && std::isfinite(region->y) && std::isfinite(region->width) &&
           std::isfinite(region->height) && region->width > 0 && region->height > 0;
}

bool isViewportExtent(std::int64_t value)
{
    return value >= 1 && value <= maximumViewportExtent;
}

void checkOpenPage(const StepsDocument::OpenPage& openPage)
{
    if (!pageURL(openPage.url)) {
        refuse(steps_text::documentURL);
    }
    if (openPage.delay < 0 || openPage.delay > maximumDelaySeconds) {
        refuse(steps_text::documentDelay);
    }
    const std::optional<BrowserCaptureSettings>& viewport = openPage.viewport;
    if (!viewport || !isViewportExtent(viewport->width) || !isViewportExtent(viewport->height) ||
        !std::isfinite(viewport->deviceScaleFactor) || !(viewport->deviceScaleFactor > 0)) {
        refuse(steps_text::documentViewport);
    }
}

void checkRead(const StepsDocument::Read& read, std::unordered_set<Uuid>& seenFieldIDs)
{
    if (!read.timeoutSeconds || *read.timeoutSeconds < 1) {
        refuse(steps_text::documentTimeout);
    }
    if (read.fields.empty()) {
        refuse(steps_text::documentNoFields);
    }
    for (const StepsDocument::Field& field : read.fields) {
        if (!seenFieldIDs.insert(field.id).second) {
            broken();
        }
        if (trimWhitespaceAndNewlines(field.name).empty()) {
            refuse(steps_text::documentFieldName);
        }
    }
}

} // namespace

void StepsDocument::validate() const
{
    if (steps.empty()) {
        broken();
    }
    const Entry& first = steps.front();
    if (!std::holds_alternative<OpenPage>(first.content) || first.sourceID || first.region) {
        broken();
    }
    std::unordered_set<Uuid> stepIDs;
    for (const Entry& entry : steps) {
        if (!stepIDs.insert(entry.id).second) {
            broken();
        }
    }
    std::unordered_set<Uuid> seenFieldIDs;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Entry& entry = steps[i];
        if (i > 0) {
            if (entry.sourceID != first.id || !isUsableRegion(entry.region)) {
                broken();
            }
            if (std::holds_alternative<OpenPage>(entry.content)) {
                broken();
            }
        }
        if (const auto* openPage = std::get_if<OpenPage>(&entry.content)) {
            checkOpenPage(*openPage);
        } else {
            checkRead(std::get<Read>(entry.content), seenFieldIDs);
        }
    }
}

} // namespace tavlen
