#include "MonitorReorderDrop.h"

#include <algorithm>

namespace tavlen::ui {

std::string monitorDragPayload(const Uuid& monitorID)
{
    return monitorID.lowercaseString();
}

std::optional<Uuid> parseMonitorDragPayload(std::string_view text)
{
    return Uuid::parse(text);
}

bool canReorderMonitors(bool canStartAction, bool isNavigating)
{
    return canStartAction && !isNavigating;
}

bool acceptsMonitorDrop(const MonitorDropArrival& arrival)
{
    return canReorderMonitors(arrival.canStartAction, arrival.isNavigating) && arrival.itemCount == 1;
}

std::optional<MonitorMove> resolveMonitorDrop(const std::vector<Uuid>& snapshot,
                                              const std::vector<Uuid>& current,
                                              const std::optional<std::string>& text,
                                              std::size_t destination)
{
    if (!text) {
        return std::nullopt;
    }
    const std::optional<Uuid> dropped = parseMonitorDragPayload(*text);
    if (!dropped || !uuidArraysEqual(snapshot, current)) {
        return std::nullopt;
    }
    const auto found = std::find(snapshot.begin(), snapshot.end(), *dropped);
    if (found == snapshot.end()) {
        return std::nullopt;
    }
    return MonitorMove{static_cast<std::size_t>(found - snapshot.begin()), destination};
}

std::size_t insertionOffsetAt(const std::vector<RowSpan>& rows, int y)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // Twice the middle, so an odd height has no rounding.
        if (2 * y < rows[i].top + rows[i].bottom) {
            return i;
        }
    }
    return rows.size();
}

} // namespace tavlen::ui
