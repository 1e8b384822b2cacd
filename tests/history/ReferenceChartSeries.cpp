#include "ReferenceChartSeries.h"

#include "HistoryText.h"
#include "Utf8.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace tavlen::test {

namespace {

// Every text run of the field's readings in order, clipped to the window.
std::vector<ChartTextInterval> intervalsOf(const std::vector<ChartReading>& readings, const ChartWindow& window)
{
    std::vector<ChartTextInterval> intervals;
    std::optional<std::size_t> runStart;
    std::int64_t lastConfirmation = 0;
    const auto close = [&](std::int64_t time, bool isOpenEnded) {
        const ChartReading& first = readings[*runStart];
        runStart.reset();
        const std::int64_t start = std::max(first.timeMilliseconds, window.startMilliseconds);
        const std::int64_t end = std::min(time, window.endMilliseconds);
        if (start >= end) {
            return;
        }
        std::optional<std::int64_t> unconfirmed;
        if (time >= window.endMilliseconds && lastConfirmation < window.endMilliseconds) {
            unconfirmed = std::max(lastConfirmation, start);
        }
        intervals.push_back(ChartTextInterval{first.checkID,
                                              first.value.text(),
                                              first.fieldName,
                                              start,
                                              end,
                                              isOpenEnded,
                                              lastConfirmation,
                                              first.timeMilliseconds < window.startMilliseconds,
                                              unconfirmed});
    };
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const ChartReading& reading = readings[i];
        if (runStart) {
            if (!reading.value.isText() || !utf8Equal(reading.value.text(), readings[*runStart].value.text())) {
                close(reading.timeMilliseconds, false);
            } else if (reading.timeMilliseconds < window.endMilliseconds) {
                lastConfirmation = reading.timeMilliseconds;
            }
        }
        if (reading.value.isText() && !runStart && reading.timeMilliseconds < window.endMilliseconds) {
            runStart = i;
            lastConfirmation = reading.timeMilliseconds;
        }
    }
    if (runStart) {
        close(window.endMilliseconds, true);
    }
    return intervals;
}

std::vector<ChartIssue> issuesOf(const ChartSnapshot& snapshot, const ChartField& field)
{
    std::vector<ChartIssue> issues;
    for (const ChartCheckEvent& check : snapshot.checks) {
        if (check.fieldIDs.contains(field.id)) {
            continue;
        }
        std::string message(history_text::noReadingInCheck);
        if (check.failure) {
            message = std::string(check.failure->code() == MonitorCheckFailure::cancelledCode
                                      ? history_text::cancelledCheckPrefix
                                      : history_text::failedCheckPrefix) +
                      check.failure->message();
        }
        issues.push_back(ChartIssue{check.id, check.timeMilliseconds, message});
    }
    return issues;
}

} // namespace

ReferenceSeries referenceSeries(const ChartSnapshot& snapshot, const ChartField& field)
{
    std::vector<ChartReading> readings;
    for (const ChartReading& reading : snapshot.samples) {
        if (reading.fieldID == field.id && (reading.value.isText() || std::isfinite(reading.value.number()))) {
            readings.push_back(reading);
        }
    }
    std::stable_sort(readings.begin(), readings.end(), [](const ChartReading& a, const ChartReading& b) {
        return a.timeMilliseconds != b.timeMilliseconds ? a.timeMilliseconds < b.timeMilliseconds
                                                        : a.checkID < b.checkID;
    });
    ReferenceSeries series;
    const ChartWindow& window = snapshot.window;
    bool extendLast = false; // the last segment ends at the number before this one
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const ChartReading& reading = readings[i];
        if (!reading.value.isNumber()) {
            extendLast = false;
            continue;
        }
        series.numbers.push_back(reading);
        if (i == 0 || !readings[i - 1].value.isNumber()) {
            continue;
        }
        const ChartReading& previous = readings[i - 1];
        if (reading.timeMilliseconds < window.startMilliseconds ||
            previous.timeMilliseconds >= window.endMilliseconds) {
            extendLast = false;
            continue;
        }
        const bool interrupted =
            previous.ordinal != std::numeric_limits<std::int64_t>::max() && previous.ordinal + 1 < reading.ordinal;
        if (extendLast && series.segments.back().interrupted == interrupted) {
            series.segments.back().points.push_back(reading);
        } else {
            series.segments.push_back(ReferenceSegment{{previous, reading}, interrupted});
        }
        extendLast = true;
    }
    series.intervals = intervalsOf(readings, window);
    series.issues = issuesOf(snapshot, field);
    return series;
}

} // namespace tavlen::test
