#pragma once

#include "MonitorCheckOutcome.h"
#include "Uuid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace tavlen {

class SqliteConnection;

// What the sidebar shows for one monitor besides its name.
struct MonitorSidebarSummary
{
    std::optional<std::string> domain;          // lower-case host of the saved page address; absent without steps
    std::optional<MonitorCheckOutcome> outcome; // of the latest stored check; absent without checks
    bool modelsAvailable = true;                // every Read step of the saved workflow names a usable model
    std::optional<std::int64_t> completedAtMilliseconds; // of the latest stored check

    // All four fields; the domain by canonical equivalence.
    friend bool operator==(const MonitorSidebarSummary& a, const MonitorSidebarSummary& b);
};

// One summary per stored monitor, inside the caller's read access. The latest check is the one with the greatest
// start time, ties broken by the greatest id text. Throws MonitorStoreError: invalidStoredData for an id that is
// not a UUID or a saved workflow without a first Open page step whose address has a host, and what decoding the
// workflow and the models test throw.
std::unordered_map<Uuid, MonitorSidebarSummary> readSidebarSummaries(SqliteConnection& connection);

} // namespace tavlen
