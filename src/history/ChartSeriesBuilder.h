#pragma once

#include "ChartField.h"
#include "ChartNumbers.h"
#include "ChartReading.h"
#include "ChartSeries.h"
#include "ChartSnapshot.h"
#include "Uuid.h"

#include <cstdint>
#include <memory>
#include <stop_token>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavlen {

// The snapshot's readings grouped by field: for each field the positions of its readings in the snapshot's
// samples, in snapshot order, and for each sample the row of its check in the table of checks the series share.
struct ChartReadingsByField
{
    std::shared_ptr<ChartCheckTable> checks;
    std::vector<std::uint32_t> checkRows;
    std::unordered_map<Uuid, std::vector<std::uint32_t>> fields;
};

// The snapshot's fields under the NFC form of their lower-cased names, in snapshot order (pointers into the
// snapshot).
using ChartFieldsByName = std::unordered_map<std::string, std::vector<const ChartField*>>;

// One series per field of the snapshot, in its order. A pure computation for a background task: it throws
// CancelledError, and nothing else, once a stop is requested on token (tested for every field and every 1024
// readings). A number reading that is not finite (the reader never gives one) is left out of every series.
std::vector<ChartSeries> buildChartSeries(const ChartSnapshot& snapshot, const std::stop_token& token = {});

// The series of one field of the snapshot, given the snapshot's readings and fields grouped as above.
ChartSeries makeChartSeries(const ChartField& field,
                            const ChartReadingsByField& readingsByField,
                            const ChartSnapshot& snapshot,
                            const ChartFieldsByName& fieldsByName,
                            const std::stop_token& token = {});

} // namespace tavlen
