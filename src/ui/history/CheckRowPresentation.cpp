#include "CheckRowPresentation.h"

#include "Formatting.h"
#include "HistoryViewText.h"
#include "QtText.h"
#include "ReadingPreviewText.h"

#include <algorithm>

namespace tavlen::ui {

namespace {

// A list shows this many readings until the user asks for all.
constexpr std::size_t firstReadings = 5;

} // namespace

CheckOutcomePresentation presentationOf(MonitorCheckOutcome outcome)
{
    switch (outcome) {
    case MonitorCheckOutcome::succeeded:
        return {text::succeeded, QStringLiteral("checkmark.circle"), OutcomeTint::green};
    case MonitorCheckOutcome::cancelled:
        return {text::cancelled, QStringLiteral("minus.circle"), OutcomeTint::secondary};
    case MonitorCheckOutcome::failed:
        break;
    }
    return {text::failed, QStringLiteral("xmark.circle"), OutcomeTint::red};
}

ExpandControlTexts expandControlTexts(bool expanded, std::int64_t startedAtMilliseconds)
{
    const QString from = text::checkFrom + formatMoment(startedAtMilliseconds);
    if (expanded) {
        return {QStringLiteral("chevron.down"), text::collapse + from, text::expanded, text::collapseHelp};
    }
    return {QStringLiteral("chevron.right"), text::expand + from, text::collapsed, text::expandHelp};
}

ReadingsList readingsListOf(const std::vector<Reading>& readings, bool showAll)
{
    if (readings.size() <= firstReadings) {
        return {readings, std::nullopt, showAll ? text::allReadings : text::firstFiveReadings};
    }
    if (showAll) {
        return {readings, text::showFewer, text::allReadings};
    }
    const auto hidden = static_cast<std::int64_t>(readings.size() - firstReadings);
    return {std::vector<Reading>(readings.begin(), readings.begin() + firstReadings),
            text::showMorePrefix + formatInteger(hidden) + text::showMoreSuffix,
            text::firstFiveReadings};
}

ReadingsColumn readingsColumnOf(const MonitorCheck& check,
                                const std::vector<Reading>* readings,
                                const std::string* readingError,
                                bool showAll)
{
    if (check.failure) {
        return {ReadingsColumn::Kind::failurePreview, toQString(readingPreviewText(check.failure->message())), {}};
    }
    if (readings) {
        if (readings->empty()) {
            return {ReadingsColumn::Kind::noReadings, text::noReadings, {}};
        }
        return {ReadingsColumn::Kind::readings, {}, readingsListOf(*readings, showAll)};
    }
    if (readingError) {
        return {ReadingsColumn::Kind::loadFailed, toQString(*readingError), {}};
    }
    return {ReadingsColumn::Kind::loading, text::loadingReadings, {}};
}

UsageSection usageSectionOf(const std::optional<MonitorCheckUsage>& usage)
{
    if (!usage) {
        return {true, false, {}};
    }
    UsageSection section;
    if (usage->legacy) {
        section.entries.push_back({std::nullopt, std::nullopt, *usage->legacy});
    } else {
        section.entries = usage->steps;
    }
    // Counts are never negative, so the sum is zero exactly when every count is; no sum is formed to overflow.
    section.noModelRequests =
        std::all_of(section.entries.begin(), section.entries.end(), [](const MonitorCheckUsage::Entry& entry) {
            return entry.usage.requests == 0;
        });
    return section;
}

} // namespace tavlen::ui
