#pragma once

#include "Uuid.h"

#include <cstddef>
#include <optional>
#include <set>
#include <vector>

namespace tavlen {

class MonitorWorkspace;

// The sidebar's drag and drop: the new order shows at once and is stored as the workspace's monitor order; a
// failed write puts the previous order back.
class MonitorReordering
{
public:
    explicit MonitorReordering(MonitorWorkspace& workspace)
        : m_workspace(workspace)
    {}

    // The ids after moving those at the offsets (in ascending order) to the destination (0 to the count); none
    // when an offset or the destination is out of range or nothing is moved.
    static std::optional<std::vector<Uuid>>
    movedOrder(const std::vector<Uuid>& ids, const std::set<std::size_t>& offsets, std::size_t destination);

    // Moves the monitors and starts the order write as the reorder operation; does nothing when an action may not
    // start, a leave decision runs, the offsets are invalid or the order stays the same.
    void moveMonitors(const std::set<std::size_t>& offsets, std::size_t destination);

private:
    MonitorWorkspace& m_workspace;
};

} // namespace tavlen
