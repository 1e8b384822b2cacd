#pragma once

#include "ChartRange.h"
#include "ChartSnapshot.h"
#include "Uuid.h"

#include <QCoroTask>

namespace tavlen {

// Where the charts model reads its snapshots. Implemented by the steps store; tests script their own.
class ChartsDataSource
{
public:
    virtual ~ChartsDataSource() = default;

    // The monitor's chart data in the range. Throws MonitorStoreError.
    virtual QCoro::Task<ChartSnapshot> loadSnapshot(Uuid monitorID, ChartRange range) = 0;
};

} // namespace tavlen
