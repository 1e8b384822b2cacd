#pragma once

#include "Monitor.h"
#include "MonitorChanges.h"
#include "MonitorSidebarSummary.h"
#include "Uuid.h"

#include <QCoroTask>

#include <stop_token>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavlen {

// Where monitors and their user-chosen order are kept. Every operation fails with a MonitorStoreError; a stop
// request on the token ends it as interrupted. Each change is one transaction: a failed one leaves nothing behind.
class MonitorRepository
{
public:
    virtual ~MonitorRepository() = default;

    // Every monitor once: first those of the stored order, in its order, then the rest by creation time and id.
    virtual QCoro::Task<std::vector<Monitor>> monitors(std::stop_token token = {}) = 0;

    // One summary per monitor, by monitor id.
    virtual QCoro::Task<std::unordered_map<Uuid, MonitorSidebarSummary>>
    sidebarSummaries(std::stop_token token = {}) = 0;

    // Creates a monitor with the default schedule (off). Creating the same new monitor again returns it unchanged;
    // an id already used by a different monitor is staleEdit. validation "Enter a name." for a blank name.
    virtual QCoro::Task<Monitor> create(Uuid proposedID, std::string name, std::stop_token token = {}) = 0;

    // Saves the changes in one transaction: staleEdit when a part's version is not the stored one, missingMonitor
    // when the monitor is gone. Parts equal to what is stored write nothing and keep their versions; a changed
    // schedule restarts the monitor's schedule runtime.
    virtual QCoro::Task<SavedMonitorChanges>
    saveChanges(Uuid monitorID, MonitorChanges changes, std::stop_token token = {}) = 0;

    // Deletes the monitor with its steps, checks, readings and schedule rows; missingMonitor when it is gone.
    virtual QCoro::Task<void> deleteMonitor(Uuid monitorID, std::stop_token token = {}) = 0;

    // Stores the order of the list; validation when an id appears twice. Ids need not name monitors.
    virtual QCoro::Task<void> reorder(std::vector<Uuid> monitorIDs, std::stop_token token = {}) = 0;
};

} // namespace tavlen
