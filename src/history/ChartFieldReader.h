#pragma once

#include "ChartField.h"
#include "Uuid.h"

#include <vector>

namespace tavlen {

class SqliteConnection;

// The fields to chart for a monitor, inside the caller's read access: the fields of the saved workflow's Read
// steps in workflow order (their current names), then every other field the monitor has stored readings of, with
// its latest stored name and type, ordered by name in the user's locale, ignoring case (equal names by the
// lower-case id). Throws MonitorStoreError: unsupportedStepsFormat for a workflow of another format, and
// invalidStoredData for an undecodable workflow, a field id used twice in it, a blank field name, or a stored
// reading field that is not a UUID, has no readable name or an unknown type.
std::vector<ChartField> readChartFields(SqliteConnection& connection, const Uuid& monitorID);

} // namespace tavlen
