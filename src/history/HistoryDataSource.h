#pragma once

#include "MonitorCheck.h"
#include "MonitorCheckCursor.h"
#include "Reading.h"
#include "Uuid.h"

#include <QCoroTask>

#include <optional>
#include <stop_token>
#include <vector>

namespace tavlen {

// Where the history model pages checks, reads one check's readings and deletes a check. Implemented by the steps
// store; tests script their own.
class HistoryDataSource
{
public:
    virtual ~HistoryDataSource() = default;

    // Checks of the monitor, newest first, each older than the cursor when one is given; at most limit of them.
    // Throws MonitorStoreError (missingMonitor when the monitor is gone, interrupted once the token stops).
    virtual QCoro::Task<std::vector<MonitorCheck>>
    loadChecks(Uuid monitorID, std::optional<MonitorCheckCursor> cursor, int limit, std::stop_token token = {}) = 0;
    // The readings of one check in stored order. Throws MonitorStoreError or MonitorCheckError.
    virtual QCoro::Task<std::vector<Reading>> loadReadings(Uuid checkID) = 0;
    // Throws MonitorStoreError (missingMonitor when the monitor is gone).
    virtual QCoro::Task<void> deleteCheck(Uuid monitorID, Uuid checkID) = 0;
};

} // namespace tavlen
