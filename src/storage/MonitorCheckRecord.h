#pragma once

#include "MonitorCheck.h"
#include "Reading.h"

#include <vector>

namespace tavlen {

// A check together with its readings, in stored position order.
struct MonitorCheckRecord
{
    MonitorCheck check;
    std::vector<Reading> readings;

    // The rules every record passes before it is written and after it is read back with its readings. Throws
    // MonitorStoreError::invalidStoredData (or the usage's own error, see MonitorCheckUsage::validate).
    void validate() const;

    friend bool operator==(const MonitorCheckRecord& a, const MonitorCheckRecord& b);
};

} // namespace tavlen
