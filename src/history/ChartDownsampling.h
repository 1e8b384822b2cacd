#pragma once

#include "ChartReading.h"

#include <cstdint>
#include <vector>

namespace tavlen {

// Fits number readings sorted by time to a drawing width of buckets (1 when below 2): a list of at most four
// readings per bucket is returned unchanged; a longer one keeps, per bucket of the window (plus one bucket for
// the readings before it and one for those at or after its end), the bucket's first, lowest, highest and last
// readings, each check once.
std::vector<ChartReading> downsampleReadings(const std::vector<ChartReading>& readings,
                                             std::int64_t startMilliseconds,
                                             std::int64_t endMilliseconds,
                                             std::int64_t buckets);

// Appends the bucket's first, lowest, highest and last number readings to output, by ordinal and each check
// once, and empties the bucket (keeping its storage).
void appendBucketExtremes(std::vector<ChartReading>& bucket, std::vector<ChartReading>& output);

} // namespace tavlen
