#pragma once

#include "MonitorCheck.h"
#include "MonitorCheckCursor.h"
#include "MonitorCheckRecord.h"
#include "Reading.h"
#include "Uuid.h"

#include <QCoroTask>

#include <optional>
#include <stop_token>
#include <vector>

namespace tavlen {

// Where finished checks and their readings are kept. Every operation fails with a MonitorStoreError, or with
// MonitorCheckError for a check that is gone; a stop request on the token ends it as interrupted.
class MonitorCheckRepository
{
public:
    virtual ~MonitorCheckRepository() = default;

    // Stores a finished check with its readings, all or nothing. Recording the same record again succeeds and
    // writes nothing; another record under a stored id is invalidStoredData. The caller validated the record.
    virtual QCoro::Task<void> record(MonitorCheckRecord record, std::stop_token token = {}) = 0;

    // A page of the monitor's checks, newest start first (equal starts: larger id text first), after the cursor
    // when one is given; pageSize is clamped to 1…200.
    virtual QCoro::Task<std::vector<MonitorCheck>>
    history(Uuid monitorID, std::optional<MonitorCheckCursor> cursor, int pageSize, std::stop_token token = {}) = 0;

    // The readings of one check, validated together with it; MonitorCheckError::missingCheck when it is gone.
    virtual QCoro::Task<std::vector<Reading>> checkRecord(Uuid checkID, std::stop_token token = {}) = 0;

    // Deletes one check of one monitor with its readings; a check that is already gone is no failure.
    virtual QCoro::Task<void> deleteCheck(Uuid monitorID, Uuid checkID, std::stop_token token = {}) = 0;
};

} // namespace tavlen
