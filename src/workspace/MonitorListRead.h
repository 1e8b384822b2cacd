#pragma once

#include "Monitor.h"
#include "MonitorStoreError.h"

#include <QCoroTask>

#include <memory>
#include <optional>
#include <vector>

namespace tavlen {

class MonitorRepository;

// The stored monitor list as the workspace reads it before showing it again: the list, or the failure of the read as
// the workspace shows it.
struct MonitorListRead
{
    std::vector<Monitor> monitors;
    std::optional<MonitorStoreError> error;

    // Reads the list; a failure is mapped and logged once, as "<what> failed: <error>". Never throws.
    static QCoro::Task<MonitorListRead> from(std::shared_ptr<MonitorRepository> repository, const char* what);
};

} // namespace tavlen
