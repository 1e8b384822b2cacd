#pragma once

#include "Uuid.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlen::ui {

// What a dragged sidebar row carries: the monitor's id in the 36-character lower-case form.
std::string monitorDragPayload(const Uuid& monitorID);
// The monitor id a dropped text names; either letter case is accepted, anything else gives none.
std::optional<Uuid> parseMonitorDragPayload(std::string_view text);

// Whether rows may be dragged and dropped now: any workspace operation, the new-monitor sheet, a pending deletion
// (none of which allow an action) or a running leave question stops reordering.
bool canReorderMonitors(bool canStartAction, bool isNavigating);

// What a drop looks like when it arrives; it is taken only with reordering allowed and exactly one item.
struct MonitorDropArrival
{
    bool canStartAction = false;
    bool isNavigating = false;
    std::size_t itemCount = 0;
};

bool acceptsMonitorDrop(const MonitorDropArrival& arrival);

// The arguments of the workspace's move: one source offset and the insertion offset, unchanged.
struct MonitorMove
{
    std::size_t source = 0;
    std::size_t destination = 0;

    friend bool operator==(const MonitorMove&, const MonitorMove&) = default;
};

// The move a dropped text asks for, once its text has arrived: none when there is no text, it names no UUID, the
// list changed since the drop (membership or order against the snapshot), or the UUID is not in the snapshot.
std::optional<MonitorMove> resolveMonitorDrop(const std::vector<Uuid>& snapshot,
                                              const std::vector<Uuid>& current,
                                              const std::optional<std::string>& text,
                                              std::size_t destination);

// The insertion offset for a drop at y over rows given as their top and bottom edges in list order: before the
// first row whose middle lies below y, else after the last.
struct RowSpan
{
    int top = 0;
    int bottom = 0;
};

std::size_t insertionOffsetAt(const std::vector<RowSpan>& rows, int y);

} // namespace tavlen::ui
