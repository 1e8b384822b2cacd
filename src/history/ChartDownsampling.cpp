#include "ChartDownsampling.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace tavlen {

namespace {

// The reading's bucket: -1 before the window, buckets at or after its end, and buckets for a quotient that is
// not a number (an empty window and a reading at its start).
std::int64_t bucketIndex(std::int64_t time, std::int64_t start, std::int64_t end, std::int64_t buckets)
{
    const double quotient = (static_cast<double>(time) - static_cast<double>(start)) /
                            (static_cast<double>(end) - static_cast<double>(start)) * static_cast<double>(buckets);
    const double index = std::floor(quotient);
    if (std::isnan(index) || index > static_cast<double>(buckets)) {
        return buckets;
    }
    if (index < -1) {
        return -1;
    }
    return static_cast<std::int64_t>(index);
}

} // namespace

std::vector<ChartReading> downsampleReadings(const std::vector<ChartReading>& readings,
                                             std::int64_t startMilliseconds,
                                             std::int64_t endMilliseconds,
                                             std::int64_t buckets)
{
    const std::int64_t count = std::max<std::int64_t>(buckets, 1);
    if ((readings.size() + 3) / 4 <= static_cast<std::uint64_t>(count)) { // at most 4 x count, without overflow
        return readings;
    }
    std::vector<ChartReading> output;
    std::vector<ChartReading> bucket;
    std::int64_t current = 0;
    for (const ChartReading& reading : readings) {
        const std::int64_t index = bucketIndex(reading.timeMilliseconds, startMilliseconds, endMilliseconds, count);
        if (!bucket.empty() && index != current) {
            appendBucketExtremes(bucket, output);
        }
        current = index;
        bucket.push_back(reading);
    }
    appendBucketExtremes(bucket, output);
    return output;
}

void appendBucketExtremes(std::vector<ChartReading>& bucket, std::vector<ChartReading>& output)
{
    if (bucket.empty()) {
        return;
    }
    const auto byValue = [](const ChartReading& a, const ChartReading& b) {
        return a.value.number() < b.value.number();
    };
    // min_element gives the first smallest; max_element the first largest only with the order reversed.
    const auto lowest = std::min_element(bucket.begin(), bucket.end(), byValue);
    const auto highest = std::min_element(
        bucket.begin(), bucket.end(), [&](const ChartReading& a, const ChartReading& b) { return byValue(b, a); });
    std::array<const ChartReading*, 4> picks{&bucket.front(), &*lowest, &*highest, &bucket.back()};
    std::stable_sort(picks.begin(), picks.end(), [](const ChartReading* a, const ChartReading* b) {
        return a->ordinal < b->ordinal;
    });
    const std::size_t before = output.size();
    for (const ChartReading* pick : picks) {
        const bool appended = std::any_of(output.begin() + static_cast<std::ptrdiff_t>(before),
                                          output.end(),
                                          [&](const ChartReading& kept) { return kept.checkID == pick->checkID; });
        if (!appended) {
            output.push_back(*pick);
        }
    }
    bucket.clear();
}

} // namespace tavlen
