#include "ChartSeriesBuilder.h"

#include "CancelledError.h"
#include "HistoryText.h"
#include "TextCase.h"
#include "Utf8.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>

namespace tavlen {

namespace {

constexpr std::size_t cancellationStride = 1024;
constexpr double largestFinite = std::numeric_limits<double>::max();

void throwIfStopped(const std::stop_token& token)
{
    if (token.stop_requested()) {
        throw CancelledError();
    }
}

// By time, then by check id; the id's bytes sort as its lower-case text does.
bool isEarlierReading(const ChartReading& a, const ChartReading& b)
{
    if (a.timeMilliseconds != b.timeMilliseconds) {
        return a.timeMilliseconds < b.timeMilliseconds;
    }
    return a.checkID < b.checkID;
}

bool areConsecutive(std::int64_t earlierOrdinal, std::int64_t laterOrdinal)
{
    return earlierOrdinal == std::numeric_limits<std::int64_t>::max() || earlierOrdinal + 1 >= laterOrdinal;
}

// The run of one text while the readings are walked.
struct TextRun
{
    const ChartReading* first = nullptr;
    std::int64_t lastConfirmation = 0;
};

class TextLane
{
public:
    explicit TextLane(const ChartWindow& window)
        : m_window(window)
    {}

    void add(const ChartReading& reading)
    {
        if (m_run) {
            const bool continues =
                reading.value.isText() && utf8Equal(reading.value.text(), m_run->first->value.text());
            if (!continues) {
                close(reading.timeMilliseconds, false);
            } else if (reading.timeMilliseconds < m_window.endMilliseconds) {
                m_run->lastConfirmation = reading.timeMilliseconds;
            }
        }
        if (reading.value.isText() && !m_run && reading.timeMilliseconds < m_window.endMilliseconds) {
            m_run = TextRun{&reading, reading.timeMilliseconds};
        }
    }

    std::vector<ChartTextInterval> finish()
    {
        if (m_run) {
            close(m_window.endMilliseconds, true);
        }
        return std::move(m_intervals);
    }

private:
    void close(std::int64_t time, bool isOpenEnded)
    {
        const ChartReading& first = *m_run->first;
        const std::int64_t lastConfirmation = m_run->lastConfirmation;
        m_run.reset();
        const std::int64_t start = std::max(first.timeMilliseconds, m_window.startMilliseconds);
        const std::int64_t end = std::min(time, m_window.endMilliseconds);
        if (start >= end) {
            return;
        }
        std::optional<std::int64_t> unconfirmedStart;
        if (time >= m_window.endMilliseconds && lastConfirmation < m_window.endMilliseconds) {
            unconfirmedStart = std::max(lastConfirmation, start);
        }
        m_intervals.push_back(ChartTextInterval{first.checkID,
                                                first.value.text(),
                                                first.fieldName,
                                                start,
                                                end,
                                                isOpenEnded,
                                                lastConfirmation,
                                                first.timeMilliseconds < m_window.startMilliseconds,
                                                unconfirmedStart});
    }

    ChartWindow m_window;
    std::optional<TextRun> m_run;
    std::vector<ChartTextInterval> m_intervals;
};

// A segment while the readings are walked: a run of the field's number readings, by their positions among them
// (inclusive).
// The readings of a segment are always neighbours there, since a text reading between two numbers ends a line.
struct SegmentSpan
{
    std::size_t first = 0;
    std::size_t last = 0;
    bool interrupted = false;
};

// Joins the number reading at index to the one before it when the pair reaches into the window.
void addNumberPair(const ChartNumbers& numbers,
                   std::size_t index,
                   const ChartWindow& window,
                   std::vector<SegmentSpan>& spans)
{
    if (numbers.timeAt(index) < window.startMilliseconds || numbers.timeAt(index - 1) >= window.endMilliseconds) {
        return;
    }
    const bool interrupted = !areConsecutive(numbers.ordinalAt(index - 1), numbers.ordinalAt(index));
    if (!spans.empty() && spans.back().interrupted == interrupted && spans.back().last == index - 1) {
        spans.back().last = index;
        return;
    }
    spans.push_back(SegmentSpan{index - 1, index, interrupted});
}

// Whether the check has a reading of the field. A check has few fields, and walking them with equality is much
// cheaper than ordering ids on the way down the tree.
bool hasReadingOf(const ChartCheckEvent& check, const Uuid& fieldID)
{
    constexpr std::size_t fewFields = 8;
    if (check.fieldIDs.size() > fewFields) {
        return check.fieldIDs.contains(fieldID);
    }
    return std::any_of(
        check.fieldIDs.begin(), check.fieldIDs.end(), [&](const Uuid& id) { return sameChartID(id, fieldID); });
}

std::vector<ChartIssue> issuesOf(const ChartField& field, const ChartSnapshot& snapshot)
{
    std::vector<ChartIssue> issues;
    for (const ChartCheckEvent& check : snapshot.checks) {
        if (hasReadingOf(check, field.id)) {
            continue;
        }
        std::string message;
        if (!check.failure) {
            message = history_text::noReadingInCheck;
        } else if (check.failure->code() == MonitorCheckFailure::cancelledCode) {
            message = std::string(history_text::cancelledCheckPrefix) + check.failure->message();
        } else {
            message = std::string(history_text::failedCheckPrefix) + check.failure->message();
        }
        issues.push_back(ChartIssue{check.id, check.timeMilliseconds, std::move(message)});
    }
    return issues;
}

// The y range over the numbers in the window and those outside it that a segment reaches.
ChartNumericDomain
domainOf(const ChartNumbers& numbers, const std::vector<SegmentSpan>& spans, const ChartWindow& window)
{
    std::set<Uuid> reachedOutside;
    for (const SegmentSpan& span : spans) {
        for (const std::size_t end : {span.first, span.last}) {
            if (!window.contains(numbers.timeAt(end))) {
                reachedOutside.insert(numbers.checkIDAt(end));
            }
        }
    }
    std::optional<double> min;
    std::optional<double> max;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (!window.contains(numbers.timeAt(i)) && !reachedOutside.contains(numbers.checkIDAt(i))) {
            continue;
        }
        const double value = numbers.valueAt(i);
        if (!min || value < *min) {
            min = value;
        }
        if (!max || value > *max) {
            max = value;
        }
    }
    const double lowest = min.value_or(0);
    const double highest = max.value_or(1);
    double pad = 0;
    if (lowest != highest) {
        pad = highest / 20 - lowest / 20; // divided first, so it stays finite for any finite values
    } else {
        pad = std::abs(lowest) / 20;
        if (pad <= 1) {
            pad = 1;
        }
    }
    return ChartNumericDomain{std::max(lowest - pad, -largestFinite), std::min(highest + pad, largestFinite)};
}

std::array<double, 5> ticksOf(const ChartNumericDomain& domain)
{
    constexpr std::array<std::pair<double, double>, 5> weights{
        {{1, 0}, {0.75, 0.25}, {0.5, 0.5}, {0.25, 0.75}, {0, 1}}};
    std::array<double, 5> ticks{};
    for (std::size_t i = 0; i < weights.size(); ++i) {
        ticks[i] = domain.lower * weights[i].first + domain.upper * weights[i].second;
    }
    return ticks;
}

// The key of a field's group: names equal once lower-cased, compared by canonical equivalence ("é" precomposed
// or as "e" and a combining accent are one name).
std::string groupKeyOf(std::string_view name)
{
    return normalizedNFC(lowercasedText(name));
}

// The name, with the shortest id ending (8, 12, ... 32 characters, else the whole id) that tells apart all the
// fields whose names differ from it only in case.
std::string titleOf(const ChartField& field, const ChartFieldsByName& fieldsByName)
{
    const auto group = fieldsByName.find(groupKeyOf(field.name));
    if (group == fieldsByName.end() || group->second.size() < 2) {
        return field.name;
    }
    std::vector<std::string> ids;
    for (const ChartField* member : group->second) {
        ids.push_back(member->id.uppercaseString());
    }
    std::size_t length = 36;
    for (std::size_t tried = 8; tried <= 32; tried += 4) {
        std::set<std::string> endings;
        for (const std::string& id : ids) {
            endings.insert(id.substr(id.size() - tried));
        }
        if (endings.size() == ids.size()) {
            length = tried;
            break;
        }
    }
    const std::string own = field.id.uppercaseString();
    return field.name + " \u00B7 " + own.substr(own.size() - length);
}

} // namespace

std::vector<ChartSeries> buildChartSeries(const ChartSnapshot& snapshot, const std::stop_token& token)
{
    ChartReadingsByField readingsByField;
    auto checks = std::make_shared<ChartCheckTable>();
    // The samples come check by check, so each check takes one row; counted first, each column is allocated once.
    std::size_t checkCount = 0;
    for (std::size_t i = 0; i < snapshot.samples.size(); ++i) {
        checkCount += i == 0 || !sameChartID(snapshot.samples[i].checkID, snapshot.samples[i - 1].checkID) ? 1 : 0;
    }
    checks->ids.reserve(checkCount);
    checks->times.reserve(checkCount);
    checks->ordinals.reserve(checkCount);
    readingsByField.checkRows.resize(snapshot.samples.size());
    for (std::size_t i = 0; i < snapshot.samples.size(); ++i) {
        const ChartReading& reading = snapshot.samples[i];
        if (reading.value.isNumber() && !std::isfinite(reading.value.number())) {
            continue;
        }
        readingsByField.checkRows[i] = checks->rowOf(reading.checkID, reading.timeMilliseconds, reading.ordinal);
        readingsByField.fields[reading.fieldID].push_back(static_cast<std::uint32_t>(i));
    }
    readingsByField.checks = std::move(checks);
    ChartFieldsByName fieldsByName;
    for (const ChartField& field : snapshot.fields) {
        fieldsByName[groupKeyOf(field.name)].push_back(&field);
    }
    std::vector<ChartSeries> series;
    series.reserve(snapshot.fields.size());
    for (const ChartField& field : snapshot.fields) {
        series.push_back(makeChartSeries(field, readingsByField, snapshot, fieldsByName, token));
    }
    return series;
}

ChartSeries makeChartSeries(const ChartField& field,
                            const ChartReadingsByField& readingsByField,
                            const ChartSnapshot& snapshot,
                            const ChartFieldsByName& fieldsByName,
                            const std::stop_token& token)
{
    throwIfStopped(token);
    static const std::vector<std::uint32_t> none;
    const auto found = readingsByField.fields.find(field.id);
    const std::vector<std::uint32_t>& grouped = found != readingsByField.fields.end() ? found->second : none;
    const auto sampleAt = [&](std::uint32_t index) -> const ChartReading& { return snapshot.samples[index]; };
    const auto isEarlier = [&](std::uint32_t a, std::uint32_t b) { return isEarlierReading(sampleAt(a), sampleAt(b)); };
    // The reader gives them in order; a sorted copy only for snapshots made otherwise.
    std::vector<std::uint32_t> sorted;
    if (!std::is_sorted(grouped.begin(), grouped.end(), isEarlier)) {
        sorted = grouped;
        std::stable_sort(sorted.begin(), sorted.end(), isEarlier);
    }
    const std::vector<std::uint32_t>& readings = sorted.empty() ? grouped : sorted;

    const ChartWindow& window = snapshot.window;
    TextLane textLane(window);
    ChartNumbers numbers(readingsByField.checks);
    numbers.reserve(static_cast<std::size_t>(std::count_if(
        readings.begin(), readings.end(), [&](std::uint32_t index) { return sampleAt(index).value.isNumber(); })));
    std::vector<SegmentSpan> spans;
    bool hasText = false;
    bool previousIsNumber = false;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        if (i % cancellationStride == 0) {
            throwIfStopped(token);
        }
        const ChartReading& reading = sampleAt(readings[i]);
        textLane.add(reading);
        const bool isNumber = reading.value.isNumber();
        if (isNumber) {
            numbers.append(
                readingsByField.checkRows[readings[i]], reading.value.number(), reading.fieldID, reading.fieldName);
            if (previousIsNumber) {
                addNumberPair(numbers, numbers.size() - 1, window, spans);
            }
        } else {
            hasText = true;
        }
        previousIsNumber = isNumber;
    }

    ChartSeries series;
    series.snapshotID = Uuid::random();
    series.field = field;
    series.title = titleOf(field, fieldsByName);
    series.window = window;
    series.numericSegments.reserve(spans.size());
    for (const SegmentSpan& span : spans) {
        series.numericSegments.push_back(ChartNumericSegment{static_cast<std::int64_t>(series.numericSegments.size()),
                                                             numbers.slice(span.first, span.last + 1),
                                                             span.interrupted});
    }
    series.numericDomain = domainOf(numbers, spans, window);
    series.numericTicks = ticksOf(series.numericDomain);
    series.hasNumberLane = !numbers.empty() || field.type == ReadingFieldType::number;
    series.hasTextLane = hasText || field.type == ReadingFieldType::text;
    series.numbers = std::move(numbers);
    series.textIntervals = textLane.finish();
    series.issues = issuesOf(field, snapshot);
    return series;
}

} // namespace tavlen
