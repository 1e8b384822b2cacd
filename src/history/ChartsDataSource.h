#pragma once

#include "ChartRange.h"
#include "ChartSnapshot.h"
#include "Uuid.h"

#include <QCoroTask>

#include <stop_token>

namespace tavlen {

// Where the charts model reads its snapshots. Implemented by the steps store; tests script their own.
class ChartsDataSource
{
public:
    virtual ~ChartsDataSource() = default;

    // The monitor's chart data in the range. Throws MonitorStoreError (interrupted once the token stops: the read
    // is abandoned, not finished and thrown away).
    virtual QCoro::Task<ChartSnapshot> loadSnapshot(Uuid monitorID, ChartRange range, std::stop_token token = {}) = 0;
};

} // namespace tavlen
